#pragma once

#include <widgets/WidgetEvents.h>

#include <QPointer>
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

    // The control from which F4 or Alt+Down presses the button, as they open a drop-down: the
    // button takes no focus, so this is how the keyboard reaches it. Null: none.
    void SetKeyControl(QWidget *control);

    NotifyEvent OnClick;

protected:
    // What a click does; the base runs OnClick.
    virtual void clicked();
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_keyControl;
};

} // namespace ngc
