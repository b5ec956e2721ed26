#pragma once

#include <QDialog>

class QTableView;

namespace ngc {

class TClientDataSet;
class DataSetSnapshotModel;

// A lookup list: the rows of a dataset in a table; Enter or a double click chooses the current
// row, Escape cancels. With no rows it shows emptyText instead of the table. Like the search
// dialog it only reads the dataset; the caller moves to the chosen row.
class RowChooserDialog final : public QDialog {
    Q_OBJECT
public:
    RowChooserDialog(TClientDataSet *dataSet, const QString &title, const QString &emptyText,
                     QWidget *parent = nullptr);

    // The chosen record (1-based) once the dialog was accepted.
    int chosenRow() const { return m_chosen; }
    QTableView *table() const { return m_table; }

private:
    void choose();

    DataSetSnapshotModel *m_model;
    QTableView *m_table;
    int m_chosen = 0;
};

} // namespace ngc
