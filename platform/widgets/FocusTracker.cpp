#include "FocusTracker.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace ngc {

namespace {

int depthOf(const QWidget *widget)
{
    int depth = 0;
    for (const QWidget *w = widget; w; w = w->parentWidget())
        ++depth;
    return depth;
}

bool holdsFocus(const QWidget *control)
{
    const QWidget *focus = control->window()->focusWidget();
    return focus && (focus == control || control->isAncestorOf(focus));
}

} // namespace

// Settles enter and exit of every tracked control after each move of the focus; one per
// process, listening to the application's focus changes.
class FocusCoordinator final : public QObject {
public:
    static FocusCoordinator &instance()
    {
        FocusCoordinator *coordinator = s_coordinator.data();
        if (!coordinator) {
            coordinator = new FocusCoordinator;
            s_coordinator = coordinator;
        }
        return *coordinator;
    }
    // The coordinator if it still exists: it goes with the application, and a control may be
    // destroyed after that (a screen kept by a module until it is unloaded).
    static FocusCoordinator *existing() { return s_coordinator.data(); }

    void add(FocusTracker *tracker) { m_trackers.push_back(tracker); }
    void remove(FocusTracker *tracker) { std::erase(m_trackers, tracker); }

private:
    FocusCoordinator()
    {
        // The application outlives every widget; the coordinator lives as long as it.
        setParent(qApp);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            // Focus leaving every window of the application is no move between controls.
            if (now)
                settle();
        });
    }

    bool registered(const FocusTracker *tracker) const
    {
        return std::find(m_trackers.begin(), m_trackers.end(), tracker) != m_trackers.end();
    }

    // One step: the deepest control the focus has left gets its exit, or else the outermost
    // control the focus is now in gets its enter. Returns whether a handler ran.
    bool step()
    {
        FocusTracker *leaving = nullptr;
        FocusTracker *entering = nullptr;
        for (FocusTracker *t : m_trackers) {
            const bool inside = holdsFocus(t->m_widget);
            if (t->m_entered && !inside) {
                if (!leaving || depthOf(t->m_widget) > depthOf(leaving->m_widget))
                    leaving = t;
            } else if (!t->m_entered && inside) {
                if (!entering || depthOf(t->m_widget) < depthOf(entering->m_widget))
                    entering = t;
            }
        }
        if (leaving) {
            leaving->m_entered = false;
            if (leaving->m_onExit)
                leaving->m_onExit();
            // A control whose exit put the focus back into itself never lost it.
            if (registered(leaving) && holdsFocus(leaving->m_widget))
                leaving->m_entered = true;
            return true;
        }
        if (entering) {
            entering->m_entered = true;
            if (entering->m_onEnter)
                entering->m_onEnter();
            return true;
        }
        return false;
    }

    void settle()
    {
        if (m_busy)
            return; // the running handler's caller settles again once it returns
        m_busy = true;
        // Handlers that keep moving the focus cannot hold the event loop forever.
        for (int steps = 0; steps < 256 && step(); ++steps) {
        }
        m_busy = false;
    }

    static inline QPointer<FocusCoordinator> s_coordinator;
    std::vector<FocusTracker *> m_trackers;
    bool m_busy = false;
};

FocusTracker::FocusTracker(QWidget *widget, Handler onEnter, Handler onExit)
    : m_widget(widget), m_onEnter(std::move(onEnter)), m_onExit(std::move(onExit))
{
    FocusCoordinator::instance().add(this);
}

FocusTracker::~FocusTracker()
{
    if (FocusCoordinator *coordinator = FocusCoordinator::existing())
        coordinator->remove(this);
}

bool IsFocusedControl(const QWidget *control)
{
    return control && holdsFocus(control);
}

} // namespace ngc
