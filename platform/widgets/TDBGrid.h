#pragma once

#include <widgets/FocusTracker.h>
#include <widgets/LiveDataSetModel.h>
#include <widgets/WidgetEvents.h>

#include <QTableView>

class QLineEdit;

namespace ngc {

class TClientDataSet;
class TDataSource;
class TField;

// A grid over the records of a data source's dataset, with editing as a user of the host
// expects:
// - the current row follows the dataset's current record, and moving to another row moves the
//   record; leaving a row that is being edited or inserted posts it first (a new row nothing
//   was typed into is dropped instead), and a failed post keeps the row;
// - typing in a cell starts the edit through the dataset's before-edit event (a refusal
//   swallows the key) and opens the cell's editor; the cell's text is written into the field
//   (SetText) when the cell is left;
// - Down on the last row appends a record, Escape cancels the edit or insert, Ctrl+Delete asks
//   "Excluir registro?" and deletes the record on yes (an editable grid keeps Ctrl+Delete from a
//   window shortcut on the same keys, as an edit keeps its editing keys), Tab and Backtab move
//   between cells;
// - OnColExit runs when the user leaves a column, before the move; a failure keeps the cell.
// OnKeyDown sees every key first (also while a cell's editor is open) and may swallow it;
// OnKeyPress sees every character typed.
class TDBGrid final : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr, const QString &name = {});
    ~TDBGrid() override;

    TDataSource *DataSource() const { return m_model->DataSource(); }
    void SetDataSource(TDataSource *source);
    LiveDataSetModel *Model() const { return m_model; }

    // Declared columns; none declared: the dataset's visible fields.
    QList<TColumn> Columns() const { return m_model->Columns(); }
    void SetColumns(const QList<TColumn> &columns);
    int ColumnCount() const { return m_model->columnCount(); }

    // No editing, appending or deleting at all.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // Cancel an insert nothing was typed into when the focus leaves the grid.
    bool CancelOnExit() const { return m_cancelOnExit; }
    void SetCancelOnExit(bool on) { m_cancelOnExit = on; }
    // Ask before Ctrl+Delete deletes a record (on by default).
    bool ConfirmDelete() const { return m_confirmDelete; }
    void SetConfirmDelete(bool on) { m_confirmDelete = on; }

    // The current column (-1 when there is none) and its field.
    int SelectedIndex() const;
    void SetSelectedIndex(int column);
    TField *SelectedField() const;
    // Makes the column of a field current; a field no column shows is ignored.
    void SetSelectedField(const QString &fieldName);

    // Whether a cell's editor is open.
    bool EditorMode() const;
    // Writes the open editor's text into its field (errors reach the caller) and closes it.
    void UpdateData();

    NotifyEvent OnColEnter;
    NotifyEvent OnColExit;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyDownEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class GridDelegate;

    // Central key handling for the grid and its cell editor; true when the key was consumed.
    bool handleKey(QKeyEvent *event, bool fromEditor);
    bool navigate(int key, Qt::KeyboardModifiers modifiers, bool fromEditor);
    bool typeInCell(const QKeyEvent &event, QChar typed, bool fromEditor);
    bool startEditing();
    bool moveTo(int row, int column, bool byUser);
    bool leaveRow(int *target = nullptr);
    bool leaveColumn();
    bool commitEditor();
    void cancelEditor();
    void cancelRecord();
    void deleteRecord();
    void appendRecord();
    bool acceptsChar(int column, QChar ch) const;
    void followDataSet();
    void applyColumnLayout();
    void onExitControl();
    QLineEdit *openEditor() const;
    TClientDataSet *dataSet() const { return m_model->DataSet(); }

    LiveDataSetModel *m_model;
    FocusTracker m_focus;
    bool m_readOnly = false;
    bool m_cancelOnExit = false;
    bool m_confirmDelete = true;
    bool m_following = false;
    bool m_moving = false;
    bool m_forwarding = false;
    int m_lastColumn = -1;
};

// The index of the grid column that shows a field, -1 when none does.
int IndiceCol(const TDBGrid *grid, const QString &fieldName);

} // namespace ngc
