#pragma once

#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace ngc {

// A captioned group of radio buttons, one per item, at most one selected.
//
// OnClick and then OnChange run on every change of the selected item, by the user or by
// SetItemIndex (screens rely on a program's change running the same handling as a click). A
// handler's error reaches the caller of SetItemIndex; for a user's pick it is shown.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr, const QString &name = {});
    ~TRadioGroup() override;

    QStringList Items() const { return m_items; }
    void SetItems(const QStringList &items);
    // -1 when none is selected.
    int ItemIndex() const { return m_index; }
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;

    NotifyEvent OnClick;
    NotifyEvent OnChange;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;

protected:
    // The user picked item index; the base class selects it and runs OnClick and OnChange.
    virtual void userPicked(int index);
    // Selects an item without any event.
    void showIndex(int index);

private:
    QButtonGroup *m_group;
    QVBoxLayout *m_layout;
    QStringList m_items;
    int m_index = -1;
    FocusTracker m_focus;
};

} // namespace ngc
