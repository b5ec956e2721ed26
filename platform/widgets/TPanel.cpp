#include "TPanel.h"

namespace ngc {

TPanel::TPanel(QWidget *parent, const QString &name)
    : QFrame(parent), m_focus(this, guardedEvent(OnEnter), guardedEvent(OnExit))
{
    if (!name.isEmpty())
        setObjectName(name);
}

TPanel::~TPanel() = default;

} // namespace ngc
