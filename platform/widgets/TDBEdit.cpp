#include "TDBEdit.h"

#include <data/EditMask.h>
#include <data/TClientDataSet.h>
#include <data/TField.h>
#include <services/HostServices.h>

#include <QKeyEvent>

namespace ngc {

namespace {

// The input a field's edit mask allows: "99;0; " is two digits. Returns the number of
// positions (0: no mask) and whether every position takes only a digit; masks with literals
// limit the length only.
int maskPositions(const QString &editMask, bool &digitsOnly)
{
    const EditMask mask(editMask);
    digitsOnly = !mask.isEmpty();
    for (const EditMask::Position &position : mask.positions())
        if (position.kind != EditMask::Kind::Digit)
            digitsOnly = false;
    return mask.maxLength();
}

} // namespace

TDBEdit::TDBEdit(QWidget *parent, const QString &name)
    : QLineEdit(parent), m_link([this] { showField(); }, [this] { UpdateRecord(); }),
      m_focus(
          this, [this] { onEnterControl(); }, [this] { onExitControl(); })
{
    if (!name.isEmpty())
        setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, [this] { onTextChanged(); });
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString &edited) { onTextEdited(edited); });
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
}

void TDBEdit::SetDataField(const QString &fieldName)
{
    m_link.SetDataField(fieldName);
}

void TDBEdit::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setReadOnly(readOnly);
}

QString TDBEdit::fieldText(TField &field, bool forEditing) const
{
    return forEditing ? field.Text() : field.DisplayText();
}

bool TDBEdit::writeFieldText(TField &field, const QString &text)
{
    field.SetText(text);
    return true;
}

bool TDBEdit::acceptsChar(QChar ch) const
{
    if (m_digitsOnly)
        return ch.isDigit();
    const TField *field = Field();
    return !field || FieldAcceptsChar(*field, ch);
}

void TDBEdit::applyMask()
{
    const TField *field = Field();
    int length = 0;
    m_digitsOnly = false;
    if (field) {
        if (!m_maskKnown || field->EditMask != m_maskText) {
            m_maskText = field->EditMask;
            m_maskLength = maskPositions(m_maskText, m_maskDigitsOnly);
            m_maskKnown = true;
        }
        length = m_maskLength;
        m_digitsOnly = m_maskDigitsOnly;
        if (length == 0 && field->DataType() == FieldType::String)
            length = field->Size();
        const Qt::Alignment wanted =
            field->DataType() == FieldType::Float || field->DataType() == FieldType::Integer
                ? Qt::AlignRight | Qt::AlignVCenter
                : Qt::AlignLeft | Qt::AlignVCenter;
        // Setting it repaints the edit even when nothing changes.
        if (alignment() != wanted)
            setAlignment(wanted);
    }
    const int maximum = length > 0 ? length : 32767;
    // Setting the length sets the text again, which would drop the user's selection.
    if (inputMask().isEmpty() && maxLength() != maximum)
        setMaxLength(maximum);
}

void TDBEdit::showField()
{
    applyMask();
    TField *field = Field();
    const QString shown =
        field ? fieldText(*field, m_link.Editing() && IsFocusedControl(this)) : QString();
    m_modified = false;
    if (shown == text())
        return;
    m_showing = true;
    setText(shown);
    m_showing = false;
}

void TDBEdit::onTextChanged()
{
    if (!m_showing)
        m_modified = true;
    textWasChanged();
    const QString now = text();
    if (now == m_lastText)
        return;
    m_lastText = now;
    if (OnChange)
        guarded(OnChange);
}

// A key starts the edit before it changes the text (keyPressEvent). What changes it without one
// (the context menu's paste, cut, delete or undo, a drop) starts it here, afterwards, so that the
// change reaches the field instead of only the screen; when the record cannot be edited, the
// field's text comes back.
void TDBEdit::onTextEdited(const QString &edited)
{
    if (!m_link.DataSource() || m_link.Editing())
        return;
    const int caret = cursorPosition();
    bool editing = false;
    guarded([&] { editing = m_link.Edit(); });
    if (!editing)
        return guarded([this] { showField(); });
    // Starting the edit showed the field again.
    if (text() != edited) {
        setText(edited);
        setCursorPosition(caret);
    }
    m_modified = true;
}

void TDBEdit::UpdateRecord()
{
    if (!m_modified || m_readOnly)
        return;
    TField *field = Field();
    if (!field || !m_link.Editing())
        return;
    bool taken = false;
    {
        FieldLink::WriteScope writing(m_link);
        taken = writeFieldText(*field, text());
    }
    m_modified = !taken;
}

void TDBEdit::EnterText(const QString &text)
{
    if (m_link.DataSource() && !m_link.Edit())
        return;
    setText(text);
    m_modified = true;
    UpdateRecord();
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    guarded([&] {
        QChar typed;
        if (!dispatchKeyEvents(*event, OnKeyDown, OnKeyPress, typed))
            return;
        // Escape takes back what was typed and not yet written; with nothing typed it is the
        // window's key.
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            if (!m_modified || !Field()) {
                event->ignore();
                return;
            }
            showField();
            selectAll();
            return;
        }
        const bool printable = !typed.isNull() && typed.isPrint();
        if (printable && !acceptsChar(typed))
            return;
        if (keyChangesText(*event) || printable) {
            if (m_readOnly)
                return;
            if (m_link.DataSource() && !m_link.Editing()) {
                // Starting the edit shows the edit form of the value; what the user had
                // selected in the display form stays selected so that the key replaces it, and
                // the caret stays where it was. Selection and caret count in the text as shown,
                // which with an input mask holds the mask's blanks ("  /  /    ").
                const QString shown = displayText();
                const bool allSelected = hasSelectedText() && selectedText() == shown;
                const int caret = cursorPosition();
                if (!m_link.Edit())
                    return; // nothing to edit: no field on an active dataset
                if (allSelected)
                    selectAll();
                else if (caret == shown.size())
                    end(false);
                else
                    setCursorPosition(qMin(caret, static_cast<int>(displayText().size())));
            }
        }
        if (printable && QString(typed) != event->text()) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(typed),
                               event->isAutoRepeat(), event->count());
            QLineEdit::keyPressEvent(&replaced);
        } else {
            QLineEdit::keyPressEvent(event);
        }
    });
}

void TDBEdit::inputMethodEvent(QInputMethodEvent *event)
{
    bool allowed = true;
    if (!event->commitString().isEmpty() && m_link.DataSource()) {
        allowed = false;
        guarded([&] { allowed = !m_readOnly && m_link.Edit(); });
    }
    if (allowed)
        QLineEdit::inputMethodEvent(event);
    else
        event->accept();
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Editing starts showing the edit form of the value (no "%" or thousands separators).
    if (!m_modified && m_link.Editing())
        guarded([this] { showField(); });
}

void TDBEdit::onEnterControl()
{
    if (OnEnter)
        guarded(OnEnter);
}

void TDBEdit::onExitControl()
{
    bool written = false;
    guarded([&] {
        try {
            UpdateRecord();
            written = true;
        } catch (...) {
            // The text stays for correcting, and so does the focus.
            selectAll();
            setFocus(Qt::OtherFocusReason);
            throw;
        }
    });
    if (!written)
        return;
    if (!m_modified)
        guarded([this] { showField(); });
    if (OnExit)
        guarded(OnExit);
}

} // namespace ngc
