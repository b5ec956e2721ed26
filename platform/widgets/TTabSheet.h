#pragma once

#include <QWidget>

namespace ngc {

class TPageControl;

// One page of a TPageControl; created with its page control, it adds itself as the last page.
class TTabSheet final : public QWidget {
    Q_OBJECT
public:
    TTabSheet(TPageControl *pageControl, const QString &caption, const QString &name = {});
    ~TTabSheet() override;

    TPageControl *PageControl() const { return m_pageControl; }
    QString Caption() const;
    void SetCaption(const QString &caption);
    // The page's index among all pages, hidden ones included.
    int PageIndex() const;
    bool TabVisible() const;
    void SetTabVisible(bool visible);

private:
    TPageControl *m_pageControl;
};

} // namespace ngc
