#pragma once

#include <functional>

class QWidget;

namespace ngc {

// Tells a control when the focus enters and leaves it (the control or any widget inside it),
// as a user of the window sees it:
// - only moves between controls of one window count (Tab, Backtab, a click, a shortcut, a
//   program's setFocus); the window losing the focus (a message box or a popup opening, another
//   application) is no exit, and getting it back is no enter;
// - the exit of the control that is left runs before the enter of the one that gets the focus;
//   when an exit handler moves the focus (a failed check putting it back), the control it was
//   heading for is never entered, and a control that gets the focus back from its own exit
//   handler is not entered again;
// - while an exit or enter handler runs (and may open a message box), further focus moves are
//   settled once it returns, against where the focus then is.
class FocusTracker final {
public:
    using Handler = std::function<void()>;

    FocusTracker(QWidget *widget, Handler onEnter, Handler onExit);
    ~FocusTracker();
    FocusTracker(const FocusTracker &) = delete;
    FocusTracker &operator=(const FocusTracker &) = delete;

private:
    friend class FocusCoordinator;
    QWidget *m_widget;
    Handler m_onEnter;
    Handler m_onExit;
    bool m_entered = false;
};

// Whether the control (or a widget inside it) is its window's focused control. The window keeps
// its focused control while a message box or a popup is up, so a check that opens a message box
// still sees the control as focused.
bool IsFocusedControl(const QWidget *control);

} // namespace ngc
