#pragma once

#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QFrame>

namespace ngc {

// A container. OnEnter runs when the focus enters it (it or any control inside) from a control
// outside it in the same window, OnExit when it leaves for one outside.
class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr, const QString &name = {});
    ~TPanel() override;

    NotifyEvent OnEnter;
    NotifyEvent OnExit;

private:
    FocusTracker m_focus;
};

} // namespace ngc
