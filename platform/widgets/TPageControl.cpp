#include "TPageControl.h"

#include "TTabSheet.h"

#include <services/HostServices.h>

#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

namespace ngc {

namespace {

// A page may be in front while its tab is hidden (a menu item brings it there). QTabBar still
// paints the selected tab then, squeezed into the corner of the bar; this bar paints only the
// visible tabs in that case.
class HiddenAwareTabBar final : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (currentIndex() < 0 || isTabVisible(currentIndex())) {
            QTabBar::paintEvent(event);
            return;
        }
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i) {
            if (!isTabVisible(i))
                continue;
            QStyleOptionTab option;
            initStyleOption(&option, i);
            painter.drawControl(QStyle::CE_TabBarTab, option);
        }
    }
};

} // namespace

TPageControl::TPageControl(QWidget *parent, const QString &name) : QTabWidget(parent)
{
    setTabBar(new HiddenAwareTabBar(this));
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
