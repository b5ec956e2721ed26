#pragma once

#include <QChar>
#include <QString>
#include <Qt>

#include <functional>

class QKeyEvent;

namespace ngc {

// The events a control offers to the screen, as plain callbacks. A handler may throw: where Qt
// called in, the control's guard swallows a SilentAbort and shows any other error.
using NotifyEvent = std::function<void()>;
// A handler that runs the event through the guard when one is set. The event is looked up at each
// call, so a handler the screen assigns after the control was built is the one that runs.
NotifyEvent guardedEvent(const NotifyEvent &event);
// Setting key to QChar(0) swallows the character; setting another character types that instead.
using KeyPressEvent = std::function<void(QChar &key)>;
// Setting key to 0 swallows the key.
using KeyDownEvent = std::function<void(int &key, Qt::KeyboardModifiers modifiers)>;

// Runs OnKeyDown and then, for a key that types a character, OnKeyPress. Returns false when
// either handler swallowed the key. typed receives the character to type (possibly replaced by
// OnKeyPress), or a null QChar when the key types none. Handlers' exceptions pass to the caller.
bool dispatchKeyEvents(const QKeyEvent &event, const KeyDownEvent &onKeyDown,
                       const KeyPressEvent &onKeyPress, QChar &typed);

// True for a key that changes the text of an edit: a printable character, Delete, Backspace,
// cut, paste, undo and redo.
bool keyChangesText(const QKeyEvent &event);

} // namespace ngc
