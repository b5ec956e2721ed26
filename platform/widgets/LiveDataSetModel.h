#pragma once

#include <data/TDataSource.h>

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>

namespace ngc {

class TClientDataSet;
class TField;

// A column of a grid: the field it shows, its title (empty: the field's display label), its
// width in pixels (0: the grid's default) and the alignment of its title.
struct TColumn {
    QString FieldName;
    QString Title;
    int Width = 0;
    Qt::Alignment TitleAlignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// A table model over the visible records of a data source's dataset: one row per record, one
// column per shown field. The declared columns (or, when none are declared, every visible field)
// are shown, except those whose field is missing or hidden. Cells show the dataset's display
// text; the current record's cells give the field's edit text for editing.
//
// The model follows the dataset through the data source: a change of the record count resets
// it, any other change refreshes the cells, and recordMoved tells views where the current
// record is.
class LiveDataSetModel final : public QAbstractTableModel, public DataLink {
    Q_OBJECT
public:
    explicit LiveDataSetModel(QObject *parent = nullptr);
    ~LiveDataSetModel() override;

    TDataSource *DataSource() const { return linkedSource(); }
    void SetDataSource(TDataSource *source);
    TClientDataSet *DataSet() const;

    QList<TColumn> Columns() const { return m_declared; }
    void SetColumns(const QList<TColumn> &columns);
    // The columns shown, in order.
    const QList<TColumn> &ShownColumns() const { return m_shown; }
    // The field of a shown column on the active dataset, or nullptr.
    TField *FieldAt(int column) const;
    // The shown column of a field, -1 when none shows it.
    int ColumnOf(const QString &fieldName) const;
    // The row of the current record, -1 when there is none.
    int CurrentRow() const;

    // Writes an edited cell of the current record (the field's SetText); errors reach the caller.
    void WriteCell(int column, const QString &text);
    // Whether a field of the record being edited or inserted was written since the edit began.
    bool RowModified() const { return m_rowModified; }

    // Run when the dataset is about to post, to write what a view still holds; may throw.
    std::function<void()> OnUpdateData;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void stateChanged() override;
    void dataChanged(TField *field) override;
    void updateData() override;

signals:
    // The current record (or the dataset) changed; views move their current row to it.
    void recordMoved();
    // The shown columns were rebuilt.
    void columnsChanged();

private:
    void refresh(bool columnsToo);
    QList<TColumn> columnsFor(TClientDataSet *dataSet) const;

    TClientDataSet *m_dataSet = nullptr; // the dataset the rows were counted on
    QList<TColumn> m_declared;
    QList<TColumn> m_shown;
    QList<int> m_fieldIndex; // field index of each shown column
    int m_rows = 0;
    bool m_active = false;
    DataSetState m_state = DataSetState::Inactive;
    bool m_rowModified = false;
};

} // namespace ngc
