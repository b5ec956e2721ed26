#include "WidgetEvents.h"

#include <services/HostServices.h>

#include <QKeyEvent>
#include <QKeySequence>

namespace ngc {

NotifyEvent guardedEvent(const NotifyEvent &event)
{
    return [&event] {
        if (event)
            guarded(event);
    };
}

bool dispatchKeyEvents(const QKeyEvent &event, const KeyDownEvent &onKeyDown,
                       const KeyPressEvent &onKeyPress, QChar &typed)
{
    typed = QChar();
    if (onKeyDown) {
        int key = event.key();
        onKeyDown(key, event.modifiers());
        if (key == 0)
            return false;
    }
    const QString text = event.text();
    // Delete produces a character on some platforms but types nothing into an edit.
    if (text.isEmpty() || event.key() == Qt::Key_Delete)
        return true;
    typed = text.at(0);
    if (onKeyPress) {
        onKeyPress(typed);
        if (typed.isNull())
            return false;
    }
    return true;
}

bool keyChangesText(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Delete || event.key() == Qt::Key_Backspace)
        return true;
    if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) ||
        event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo) ||
        event.matches(QKeySequence::DeleteEndOfWord) ||
        event.matches(QKeySequence::DeleteStartOfWord) ||
        event.matches(QKeySequence::DeleteEndOfLine))
        return true;
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace ngc
