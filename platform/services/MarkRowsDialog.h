#pragma once

#include <QDialog>
#include <QStringList>

class QTableView;

namespace ngc {

class TClientDataSet;
class DataSetSnapshotModel;

// A list of a dataset's rows with a mark per row: Space (or a click on the box) marks the current
// row, Enter confirms, Escape cancels. The keys are the values of one field, whether it is shown
// or not.
class MarkRowsDialog final : public QDialog {
    Q_OBJECT
public:
    MarkRowsDialog(TClientDataSet *dataSet, const QString &keyField, const QString &title,
                   const QStringList &marked, QWidget *parent = nullptr);

    // The keys of the marked rows, in the order of the rows.
    QStringList markedKeys() const;
    QTableView *table() const { return m_table; }
    DataSetSnapshotModel *model() const { return m_model; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DataSetSnapshotModel *m_model;
    QTableView *m_table;
    QStringList m_keys; // per row
};

} // namespace ngc
