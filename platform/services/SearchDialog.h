#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ngc {

class TClientDataSet;
class DataSetSnapshotModel;

// Finds a record of a dataset by the text one of its visible columns shows. The dialog stays open
// when nothing matches, so the user can try again. It only reads the dataset: the caller moves to
// the record found once the dialog is closed, so that nothing the move sets off runs inside the
// dialog's event loop.
class SearchDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(TClientDataSet &dataSet, QWidget *parent = nullptr);

    // The first visible record (1-based) whose text in column starts with (or contains) text,
    // ignoring case; 0 when there is none.
    int findRow(int column, const QString &text, bool anywhere) const;

    // The record found (1-based) once the dialog was accepted.
    int foundRow() const { return m_found; }

private:
    void find();

    DataSetSnapshotModel *m_model;
    QComboBox *m_column;
    QLineEdit *m_text;
    QCheckBox *m_anywhere;
    QLabel *m_status;
    QPushButton *m_find;
    int m_found = 0;
};

} // namespace ngc
