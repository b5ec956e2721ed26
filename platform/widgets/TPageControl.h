#pragma once

#include <widgets/WidgetEvents.h>

#include <QTabWidget>

namespace ngc {

class TTabSheet;

// Pages with tabs that can be hidden. OnChange runs when the user brings another page to front
// (a click on a tab, Ctrl+Tab); a program's SetActivePage, and hiding the tab of the page in
// front, run no event.
class TPageControl final : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget *parent = nullptr, const QString &name = {});
    ~TPageControl() override;

    int PageCount() const { return count(); }
    TTabSheet *Pages(int index) const;
    TTabSheet *ActivePage() const;
    // Brings a page to front, also one whose tab is hidden.
    void SetActivePage(TTabSheet *page);
    void SetTabVisible(TTabSheet *page, bool visible);
    bool TabVisible(TTabSheet *page) const;

    NotifyEvent OnChange;

private:
    friend class TTabSheet;
    void addSheet(TTabSheet *page, const QString &caption);
    void onCurrentChanged();

    int m_quiet = 0;
};

} // namespace ngc
