#include "TNumberEdit.h"

#include <services/HostServices.h>

#include <QKeyEvent>
#include <QLocale>

namespace ngc {

TNumberEdit::TNumberEdit(QWidget *parent, const QString &name)
    : QLineEdit(parent), m_focus(this, guardedEvent(OnEnter), guardedEvent(OnExit))
{
    if (!name.isEmpty())
        setObjectName(name);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            guarded(OnChange);
    });
}

TNumberEdit::~TNumberEdit() = default;

void TNumberEdit::SetDecimals(int decimals)
{
    m_decimals = qMax(0, decimals);
}

double TNumberEdit::GetNumber() const
{
    bool ok = false;
    const double value = QLocale().toDouble(text().trimmed(), &ok);
    return ok ? value : 0.0;
}

void TNumberEdit::SetNumber(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    setText(locale.toString(value, 'f', m_decimals));
}

void TNumberEdit::Clear()
{
    clear();
}

bool TNumberEdit::acceptsChar(QChar ch) const
{
    if (ch.isDigit())
        return true;
    const QString current = text();
    const QString selected = selectedText();
    const QString separator = QLocale().decimalPoint();
    if (QString(ch) == separator)
        return m_decimals > 0 && (!current.contains(separator) || selected.contains(separator));
    if (ch == QLatin1Char('-')) {
        const int at = hasSelectedText() ? selectionStart() : cursorPosition();
        return at == 0 && (!current.contains(ch) || selected.contains(ch));
    }
    return false;
}

void TNumberEdit::keyPressEvent(QKeyEvent *event)
{
    guarded([&] {
        QChar typed;
        if (!dispatchKeyEvents(*event, OnKeyDown, OnKeyPress, typed))
            return;
        if (!typed.isNull() && typed.isPrint()) {
            if (!acceptsChar(typed))
                return;
            if (QString(typed) != event->text()) {
                QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(typed),
                                   event->isAutoRepeat(), event->count());
                QLineEdit::keyPressEvent(&replaced);
                return;
            }
        }
        QLineEdit::keyPressEvent(event);
    });
}

} // namespace ngc
