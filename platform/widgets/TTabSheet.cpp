#include "TTabSheet.h"

#include "TPageControl.h"

namespace ngc {

TTabSheet::TTabSheet(TPageControl *pageControl, const QString &caption, const QString &name)
    : QWidget(pageControl), m_pageControl(pageControl)
{
    if (!name.isEmpty())
        setObjectName(name);
    pageControl->addSheet(this, caption);
}

TTabSheet::~TTabSheet() = default;

QString TTabSheet::Caption() const
{
    return m_pageControl->tabText(PageIndex());
}

void TTabSheet::SetCaption(const QString &caption)
{
    m_pageControl->setTabText(PageIndex(), caption);
}

int TTabSheet::PageIndex() const
{
    return m_pageControl->indexOf(this);
}

bool TTabSheet::TabVisible() const
{
    return m_pageControl->TabVisible(const_cast<TTabSheet *>(this));
}

void TTabSheet::SetTabVisible(bool visible)
{
    m_pageControl->SetTabVisible(this, visible);
}

} // namespace ngc
