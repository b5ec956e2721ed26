#pragma once

#include <widgets/WidgetEvents.h>

#include <QToolButton>

namespace ngc {

// A flat tool button (raised under the mouse) with a click event.
class TButtonFlat : public QToolButton {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget *parent = nullptr, const QString &name = {});
    ~TButtonFlat() override;

    // Runs the click as if the user had pressed the button (nothing when it is disabled); the
    // handler's errors reach the caller.
    void Click();

    NotifyEvent OnClick;

protected:
    // What a click does; the base runs OnClick.
    virtual void clicked();
};

} // namespace ngc
