#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QList>
#include <QTableView>

namespace ngc {

class TClientDataSet;

// A read-only table over the visible fields and visible records of a dataset, as the host's
// dialogs show it while they run modally (the dataset cannot change underneath). With checkable
// set, the first column carries a mark per row.
class DataSetSnapshotModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetSnapshotModel(TClientDataSet *dataSet, bool checkable = false,
                          QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The dataset's field index shown in a column.
    int fieldIndex(int column) const { return m_fields.at(column); }
    QString displayText(int row, int column) const;

    bool isChecked(int row) const { return m_checked.at(row); }
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    void toggle(int row);

private:
    TClientDataSet *m_dataSet;
    bool m_checkable;
    int m_rows = 0;
    QList<int> m_fields;
    QList<bool> m_checked;
};

// The table of the host's lists. Typing finds the first row, from the current one on, with a
// shown text of any column starting with what was typed (case ignored); keys typed in quick
// succession make one text, so "00003" finds that code and "bet" the name "Beta"; the same key
// again after a pause goes on to the next match.
class ListTableView final : public QTableView {
public:
    using QTableView::QTableView;
    void keyboardSearch(const QString &search) override;

private:
    QString m_sought;
    QElapsedTimer m_typed;
};

// Sets up a dialog's list over the model: whole rows selected one at a time, not editable, Tab
// leaving the list, columns sized to their contents.
void setUpListTable(QTableView *table, DataSetSnapshotModel *model);

} // namespace ngc
