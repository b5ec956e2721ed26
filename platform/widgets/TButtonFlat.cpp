#include "TButtonFlat.h"

#include <host/HostServices.h>

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

void TButtonFlat::clicked()
{
    if (OnClick)
        OnClick();
}

} // namespace ngc
