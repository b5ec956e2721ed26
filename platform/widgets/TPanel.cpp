#include "TPanel.h"

#include <host/HostServices.h>

namespace ngc {

TPanel::TPanel(QWidget *parent, const QString &name)
    : QFrame(parent), m_focus(
                          this,
                          [this] {
                              if (OnEnter)
                                  guarded(OnEnter);
                          },
                          [this] {
                              if (OnExit)
                                  guarded(OnExit);
                          })
{
    if (!name.isEmpty())
        setObjectName(name);
}

TPanel::~TPanel() = default;

} // namespace ngc
