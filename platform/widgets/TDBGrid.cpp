#include "TDBGrid.h"

#include <data/EditMask.h>
#include <data/TClientDataSet.h>
#include <data/TField.h>
#include <services/HostServices.h>
#include <services/HostUi.h>
#include <widgets/FieldLink.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace ngc {

// The cell editor: a line edit whose keys the grid sees first, and which is written into the
// field by the grid (on leaving the cell, the row or the grid, and before a post), never by
// Qt's own commit on a focus change, which would also fire when a message box opens.
class GridDelegate final : public QStyledItemDelegate {
public:
    explicit GridDelegate(TDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        // Unnamed on purpose: a screen tells the grid's cell editor from its own controls by
        // the editor having no name.
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (const TField *field = m_grid->m_model->FieldAt(index.column())) {
            const EditMask mask(field->EditMask);
            if (!mask.isEmpty())
                editor->setMaxLength(mask.maxLength());
            else if (field->DataType() == FieldType::String)
                editor->setMaxLength(field->Size());
        }
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setText(index.data(Qt::EditRole).toString());
            line->setModified(false);
            line->selectAll();
        }
    }

    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override
    {
        // The grid writes the cell itself (see the class comment).
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return m_grid->handleKey(static_cast<QKeyEvent *>(event), true);
        case QEvent::FocusOut:
            return false;
        default:
            return QStyledItemDelegate::eventFilter(object, event);
        }
    }

private:
    TDBGrid *m_grid;
};

TDBGrid::TDBGrid(QWidget *parent, const QString &name)
    : QTableView(parent), m_model(new LiveDataSetModel(this)),
      m_focus(this, guardedEvent(OnEnter), [this] { onExitControl(); })
{
    if (!name.isEmpty())
        setObjectName(name);
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    m_model->OnUpdateData = [this] { UpdateData(); };
    connect(m_model, &LiveDataSetModel::recordMoved, this, [this] { followDataSet(); });
    connect(m_model, &LiveDataSetModel::columnsChanged, this, [this] { applyColumnLayout(); });
}

TDBGrid::~TDBGrid()
{
    m_model->OnUpdateData = nullptr;
}

void TDBGrid::SetDataSource(TDataSource *source)
{
    m_model->SetDataSource(source);
}

void TDBGrid::SetColumns(const QList<TColumn> &columns)
{
    m_model->SetColumns(columns);
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (readOnly)
        cancelEditor();
}

void TDBGrid::applyColumnLayout()
{
    const QList<TColumn> &columns = m_model->ShownColumns();
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns.at(i).Width > 0 ? columns.at(i).Width
                                                  : horizontalHeader()->defaultSectionSize());
    if (m_lastColumn >= columns.size())
        m_lastColumn = columns.isEmpty() ? -1 : 0;
    if (m_lastColumn < 0 && !columns.isEmpty())
        m_lastColumn = 0;
}

int TDBGrid::SelectedIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_lastColumn;
}

void TDBGrid::SetSelectedIndex(int column)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    moveTo(m_model->CurrentRow(), column, false);
}

TField *TDBGrid::SelectedField() const
{
    return m_model->FieldAt(SelectedIndex());
}

void TDBGrid::SetSelectedField(const QString &fieldName)
{
    SetSelectedIndex(m_model->ColumnOf(fieldName));
}

QLineEdit *TDBGrid::openEditor() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || state() != QAbstractItemView::EditingState)
        return nullptr;
    return qobject_cast<QLineEdit *>(indexWidget(current));
}

bool TDBGrid::EditorMode() const
{
    return openEditor() != nullptr;
}

void TDBGrid::UpdateData()
{
    QLineEdit *editor = openEditor();
    if (!editor)
        return;
    if (editor->isModified()) {
        TClientDataSet *ds = dataSet();
        if (ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert))
            m_model->WriteCell(currentIndex().column(), editor->text());
        editor->setModified(false);
    }
    QAbstractItemView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TDBGrid::commitEditor()
{
    bool ok = false;
    guarded([&] {
        UpdateData();
        ok = true;
    });
    if (!ok) {
        if (QLineEdit *editor = openEditor()) {
            editor->setFocus(Qt::OtherFocusReason);
            editor->selectAll();
        }
    }
    return ok;
}

void TDBGrid::cancelEditor()
{
    if (QLineEdit *editor = openEditor())
        QAbstractItemView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

bool TDBGrid::leaveColumn()
{
    if (!commitEditor())
        return false;
    bool ok = false;
    guarded([&] {
        if (OnColExit)
            OnColExit();
        ok = true;
    });
    return ok;
}

// A new record nothing was typed into is dropped rather than posted, as a user who merely
// passed through it expects; target, a row the caller heads for, then moves up with the rows
// below the dropped one.
bool TDBGrid::leaveRow(int *target)
{
    if (!commitEditor())
        return false;
    TClientDataSet *ds = dataSet();
    if (!ds || (ds->State() != DataSetState::Edit && ds->State() != DataSetState::Insert))
        return true;
    bool ok = false;
    if (ds->State() == DataSetState::Insert && !m_model->RowModified()) {
        const int dropped = m_model->CurrentRow();
        guarded([&] {
            ds->Cancel();
            ok = true;
        });
        if (ok && target && *target > dropped)
            --*target;
        return ok;
    }
    guarded([&] {
        ds->Post();
        ok = true;
    });
    return ok;
}

bool TDBGrid::moveTo(int row, int column, bool byUser)
{
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    if (columns == 0)
        return false;
    column = qBound(0, column, columns - 1);
    const int fromColumn = SelectedIndex();
    if (byUser && column != fromColumn && !leaveColumn())
        return false;
    if (rows > 0) {
        row = qBound(0, row, rows - 1);
        if (row != m_model->CurrentRow()) {
            if (!leaveRow(&row))
                return false;
            bool moved = false;
            guarded([&] {
                if (m_model->rowCount() > 0)
                    dataSet()->SetRecNo(qMin(row, m_model->rowCount() - 1) + 1);
                moved = true;
            });
            if (!moved)
                return false;
        }
    }
    const int currentRow = m_model->CurrentRow();
    m_moving = true;
    if (currentRow >= 0)
        setCurrentIndex(m_model->index(currentRow, column));
    m_moving = false;
    m_lastColumn = column;
    if (column != fromColumn && OnColEnter)
        guarded(OnColEnter);
    return true;
}

void TDBGrid::followDataSet()
{
    TClientDataSet *ds = dataSet();
    const bool editing =
        ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert);
    const int row = m_model->CurrentRow();
    if (!editing || row != currentIndex().row())
        cancelEditor();
    if (row < 0)
        return;
    const int column = m_lastColumn >= 0 ? qMin(m_lastColumn, m_model->columnCount() - 1) : 0;
    if (column < 0)
        return;
    const QModelIndex target = m_model->index(row, column);
    if (currentIndex() != target) {
        m_following = true;
        setCurrentIndex(target);
        m_following = false;
    }
    // Scrolling lays out every row and column first; a hidden grid (one on a page in the back,
    // say) has nothing to show yet, and the view scrolls to its current cell when it is shown.
    if (isVisible())
        scrollTo(target);
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || m_moving || !current.isValid())
        return;
    // A move made by the view itself (a click handled by Qt, a keyboard search): the dataset
    // follows it, or, when the row cannot be left, the view goes back to the dataset's row.
    m_lastColumn = current.column();
    if (current.row() == m_model->CurrentRow())
        return;
    bool moved = false;
    int target = current.row();
    if (leaveRow(&target)) {
        guarded([&] {
            if (m_model->rowCount() > 0)
                dataSet()->SetRecNo(qMin(target, m_model->rowCount() - 1) + 1);
            moved = true;
        });
    }
    if (!moved)
        QMetaObject::invokeMethod(
            this, [this] { followDataSet(); }, Qt::QueuedConnection);
}

bool TDBGrid::acceptsChar(int column, QChar ch) const
{
    const TField *field = m_model->FieldAt(column);
    return field && FieldAcceptsChar(*field, ch);
}

bool TDBGrid::startEditing()
{
    if (m_readOnly || EditorMode())
        return EditorMode();
    TClientDataSet *ds = dataSet();
    if (!ds || !ds->Active() || !m_model->FieldAt(qMax(0, SelectedIndex())))
        return false;
    // Typing into an empty grid starts its first record.
    if (ds->State() == DataSetState::Browse && ds->IsEmpty())
        ds->Append(); // a refusal reaches the caller
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return false;
    if (ds->State() == DataSetState::Browse)
        ds->Edit(); // a refusal reaches the caller
    if (ds->State() != DataSetState::Edit && ds->State() != DataSetState::Insert)
        return false;
    QAbstractItemView::edit(currentIndex(), QAbstractItemView::AllEditTriggers, nullptr);
    return EditorMode();
}

bool TDBGrid::typeInCell(const QKeyEvent &event, QChar typed, bool fromEditor)
{
    const int column = SelectedIndex();
    if (m_readOnly || !acceptsChar(column, typed))
        return true;
    const bool replaced = QString(typed) != event.text();
    if (fromEditor && !replaced)
        return false; // the editor types it
    if (!fromEditor && !startEditing())
        return true;
    QLineEdit *editor = openEditor();
    if (!editor)
        return true;
    QKeyEvent forwarded(QEvent::KeyPress, event.key(), event.modifiers(), QString(typed),
                        event.isAutoRepeat(), event.count());
    m_forwarding = true;
    QApplication::sendEvent(editor, &forwarded);
    m_forwarding = false;
    return true;
}

bool TDBGrid::navigate(int key, Qt::KeyboardModifiers modifiers, bool fromEditor)
{
    const int row = m_model->CurrentRow();
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    const int column = SelectedIndex();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int page = qMax(1, viewport()->height() / qMax(1, rowHeight(qMax(0, row))) - 1);
    switch (key) {
    case Qt::Key_Up:
        moveTo(row - 1, column, true);
        return true;
    case Qt::Key_Down:
        if (row >= rows - 1 && !m_readOnly)
            appendRecord();
        else
            moveTo(row + 1, column, true);
        return true;
    case Qt::Key_PageUp:
        moveTo(row - page, column, true);
        return true;
    case Qt::Key_PageDown:
        moveTo(row + page, column, true);
        return true;
    case Qt::Key_Tab:
        if (column < columns - 1) {
            moveTo(row, column + 1, true);
        } else if (row < rows - 1) {
            if (leaveColumn())
                moveTo(row + 1, 0, false);
        } else if (!m_readOnly && leaveColumn()) {
            appendRecord();
            moveTo(m_model->CurrentRow(), 0, false);
        }
        return true;
    case Qt::Key_Backtab:
        if (column > 0) {
            moveTo(row, column - 1, true);
        } else if (row > 0 && leaveColumn()) {
            moveTo(row - 1, columns - 1, false);
        }
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (fromEditor && !ctrl)
            return false;
        if (ctrl)
            moveTo(key == Qt::Key_Home ? 0 : rows - 1, column, true);
        else
            moveTo(row, key == Qt::Key_Home ? 0 : columns - 1, true);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (fromEditor)
            return false;
        moveTo(row, column + (key == Qt::Key_Left ? -1 : 1), true);
        return true;
    default:
        return false;
    }
}

bool TDBGrid::handleKey(QKeyEvent *event, bool fromEditor)
{
    if (m_forwarding)
        return false;
    bool consumed = true;
    guarded([&] {
        QChar typed;
        if (!dispatchKeyEvents(*event, OnKeyDown, OnKeyPress, typed))
            return;
        const int key = event->key();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        if (key == Qt::Key_Delete && (modifiers & Qt::ControlModifier)) {
            deleteRecord();
            return;
        }
        TClientDataSet *ds = dataSet();
        const bool editing =
            ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert);
        switch (key) {
        case Qt::Key_Escape:
            if (!EditorMode() && !editing) {
                consumed = false; // the window's own Escape
                return;
            }
            cancelEditor();
            cancelRecord();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (EditorMode())
                commitEditor();
            else
                startEditing();
            return;
        case Qt::Key_F2:
            startEditing();
            return;
        default:
            break;
        }
        const bool shifted = modifiers & Qt::ShiftModifier;
        const int move = key == Qt::Key_Tab && shifted ? int(Qt::Key_Backtab) : key;
        if (navigate(move, modifiers, fromEditor))
            return;
        if (!typed.isNull() && typed.isPrint()) {
            consumed = typeInCell(*event, typed, fromEditor);
            return;
        }
        if (fromEditor) {
            consumed = false; // editing keys inside the cell's text
            return;
        }
        if (key == Qt::Key_Backspace && !m_readOnly) {
            if (startEditing())
                QApplication::sendEvent(openEditor(), event);
            return;
        }
        consumed = false;
    });
    return consumed;
}

bool TDBGrid::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && !m_readOnly) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event, false))
        event->ignore();
}

void TDBGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target != currentIndex()) {
        if (!moveTo(target.row(), target.column(), true)) {
            event->accept();
            return;
        }
    }
    QTableView::mousePressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target == currentIndex())
        guarded([this] { startEditing(); });
    event->accept();
}

void TDBGrid::cancelRecord()
{
    TClientDataSet *ds = dataSet();
    if (ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert))
        ds->Cancel();
}

void TDBGrid::deleteRecord()
{
    TClientDataSet *ds = dataSet();
    if (m_readOnly || !ds || !ds->Active() || ds->IsEmpty())
        return;
    if (m_confirmDelete &&
        hostUi().message(QStringLiteral("Excluir registro?"), MsgKind::Confirmation,
                         {MsgButton::Yes, MsgButton::No}) != MsgButton::Yes)
        return;
    cancelEditor();
    // A record still being inserted is simply dropped.
    if (ds->State() == DataSetState::Insert)
        ds->Cancel();
    else
        ds->Delete();
}

void TDBGrid::appendRecord()
{
    TClientDataSet *ds = dataSet();
    if (m_readOnly || !ds || !ds->Active())
        return;
    if (!commitEditor())
        return;
    // An empty new row is not followed by another one.
    if (ds->State() == DataSetState::Insert && !m_model->RowModified())
        return;
    if (!leaveRow())
        return;
    ds->Append();
}

void TDBGrid::onExitControl()
{
    bool written = false;
    guarded([&] {
        try {
            UpdateData();
            written = true;
        } catch (...) {
            if (QLineEdit *editor = openEditor())
                editor->setFocus(Qt::OtherFocusReason);
            throw;
        }
    });
    if (!written)
        return;
    guarded([this] {
        TClientDataSet *ds = dataSet();
        if (m_cancelOnExit && ds && ds->State() == DataSetState::Insert && !m_model->RowModified())
            ds->Cancel();
    });
    if (OnExit)
        guarded(OnExit);
}

int IndiceCol(const TDBGrid *grid, const QString &fieldName)
{
    return grid ? grid->Model()->ColumnOf(fieldName) : -1;
}

} // namespace ngc
