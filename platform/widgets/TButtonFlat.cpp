#include "TButtonFlat.h"

#include <services/HostServices.h>

#include <QKeyEvent>

namespace ngc {

TButtonFlat::TButtonFlat(QWidget *parent, const QString &name) : QToolButton(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
    setAutoRaise(true);
    // Like the host's speed buttons, it takes no focus, so pressing it runs no exit check of
    // the control being edited.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { guarded([this] { clicked(); }); });
}

TButtonFlat::~TButtonFlat() = default;

void TButtonFlat::Click()
{
    if (isEnabled())
        clicked();
}

void TButtonFlat::SetKeyControl(QWidget *control)
{
    if (m_keyControl)
        m_keyControl->removeEventFilter(this);
    m_keyControl = control;
    if (control)
        control->installEventFilter(this);
}

// Keys the control's own parts leave unused reach it too (a radio group's buttons pass them on).
bool TButtonFlat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_keyControl && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        const bool opens = (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier) ||
                           (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier);
        if (opens && isEnabled()) {
            guarded([this] { clicked(); });
            return true;
        }
    }
    return QToolButton::eventFilter(watched, event);
}

void TButtonFlat::clicked()
{
    if (OnClick)
        OnClick();
}

} // namespace ngc
