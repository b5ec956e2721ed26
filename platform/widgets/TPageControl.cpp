#include "TPageControl.h"

#include "TTabSheet.h"

#include <host/HostServices.h>

namespace ngc {

TPageControl::TPageControl(QWidget *parent, const QString &name) : QTabWidget(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
    connect(this, &QTabWidget::currentChanged, this, [this] { onCurrentChanged(); });
}

TPageControl::~TPageControl() = default;

void TPageControl::addSheet(TTabSheet *page, const QString &caption)
{
    ++m_quiet;
    addTab(page, caption);
    --m_quiet;
}

TTabSheet *TPageControl::Pages(int index) const
{
    return qobject_cast<TTabSheet *>(widget(index));
}

TTabSheet *TPageControl::ActivePage() const
{
    return qobject_cast<TTabSheet *>(currentWidget());
}

void TPageControl::SetActivePage(TTabSheet *page)
{
    const int index = indexOf(page);
    if (index < 0)
        return;
    ++m_quiet;
    setCurrentIndex(index);
    --m_quiet;
}

void TPageControl::SetTabVisible(TTabSheet *page, bool visible)
{
    const int index = indexOf(page);
    if (index < 0)
        return;
    ++m_quiet;
    setTabVisible(index, visible);
    --m_quiet;
}

bool TPageControl::TabVisible(TTabSheet *page) const
{
    const int index = indexOf(page);
    return index >= 0 && isTabVisible(index);
}

void TPageControl::onCurrentChanged()
{
    if (m_quiet == 0 && OnChange)
        guarded(OnChange);
}

} // namespace ngc
