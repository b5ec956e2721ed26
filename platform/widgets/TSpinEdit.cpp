#include "TSpinEdit.h"

#include <services/HostServices.h>

#include <QKeyEvent>
#include <QLineEdit>

namespace ngc {

TSpinEdit::TSpinEdit(QWidget *parent, const QString &name)
    : QAbstractSpinBox(parent), m_focus(this, guardedEvent(OnEnter), [this] { onExitControl(); })
{
    if (!name.isEmpty())
        setObjectName(name);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { onTextChanged(); });
}

TSpinEdit::~TSpinEdit() = default;

void TSpinEdit::SetMinValue(int value)
{
    m_min = value;
    if (m_max < m_min)
        m_max = m_min;
}

void TSpinEdit::SetMaxValue(int value)
{
    m_max = value;
    if (m_min > m_max)
        m_min = m_max;
}

int TSpinEdit::MaxLength() const
{
    const int length = lineEdit()->maxLength();
    return length == 32767 ? 0 : length;
}

void TSpinEdit::SetMaxLength(int length)
{
    lineEdit()->setMaxLength(length > 0 ? length : 32767);
}

QString TSpinEdit::Text() const
{
    return lineEdit()->text();
}

void TSpinEdit::SetText(const QString &text)
{
    setText(text, true);
}

void TSpinEdit::setText(const QString &text, bool byProgram)
{
    const bool was = m_byProgram;
    m_byProgram = byProgram;
    lineEdit()->setText(text);
    m_byProgram = was;
}

int TSpinEdit::Value() const
{
    bool ok = false;
    const int value = Text().trimmed().toInt(&ok);
    return ok ? value : m_min;
}

void TSpinEdit::SetValue(int value)
{
    SetText(QString::number(qBound(m_min, value, m_max)));
}

void TSpinEdit::stepBy(int steps)
{
    if (isReadOnly())
        return;
    const int from = Value();
    setText(QString::number(qBound(m_min, from + steps, m_max)), false);
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    StepEnabled enabled = StepNone;
    const int value = Value();
    if (value < m_max || Text().isEmpty())
        enabled |= StepUpEnabled;
    if (value > m_min)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State TSpinEdit::validate(QString &input, int &) const
{
    for (QChar c : input)
        if (!c.isDigit())
            return QValidator::Invalid;
    const int length = MaxLength();
    if (length > 0 && input.size() > length)
        return QValidator::Invalid;
    return QValidator::Acceptable;
}

void TSpinEdit::fixup(QString &) const
{
    // Every digit string is acceptable; an empty text stays empty.
}

void TSpinEdit::keyPressEvent(QKeyEvent *event)
{
    guarded([&] {
        QChar typed;
        if (!dispatchKeyEvents(*event, OnKeyDown, OnKeyPress, typed))
            return;
        if (!typed.isNull() && typed.isPrint()) {
            if (!typed.isDigit())
                return;
            if (QString(typed) != event->text()) {
                QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(typed),
                                   event->isAutoRepeat(), event->count());
                QAbstractSpinBox::keyPressEvent(&replaced);
                return;
            }
        }
        QAbstractSpinBox::keyPressEvent(event);
    });
}

void TSpinEdit::onTextChanged()
{
    if (OnChange)
        guarded(OnChange);
}

void TSpinEdit::onExitControl()
{
    // A typed number out of range is brought into it; an empty text stays empty.
    bool ok = false;
    const int typed = Text().toInt(&ok);
    if (ok && (typed < m_min || typed > m_max))
        SetValue(typed);
    if (OnExit)
        guarded(OnExit);
}

} // namespace ngc
