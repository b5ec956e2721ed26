#include "TRadioGroup.h"

#include <services/HostServices.h>

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ngc {

TRadioGroup::TRadioGroup(QWidget *parent, const QString &name)
    : QGroupBox(parent), m_group(new QButtonGroup(this)), m_layout(new QVBoxLayout(this)),
      m_focus(this, guardedEvent(OnEnter), guardedEvent(OnExit))
{
    if (!name.isEmpty())
        setObjectName(name);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        guarded([&] {
            try {
                userPicked(id);
            } catch (...) {
                showIndex(m_index);
                throw;
            }
        });
        // A refused pick must not leave the clicked button checked.
        showIndex(m_index);
    });
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(const QStringList &items)
{
    for (QAbstractButton *button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        m_group->addButton(button, i);
        m_layout->addWidget(button);
    }
    if (m_index >= items.size())
        m_index = -1;
    showIndex(m_index);
}

QRadioButton *TRadioGroup::Button(int index) const
{
    return qobject_cast<QRadioButton *>(m_group->button(index));
}

void TRadioGroup::showIndex(int index)
{
    if (QAbstractButton *button = m_group->button(index)) {
        if (!button->isChecked())
            button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last checked button.
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= m_items.size())
        index = -1;
    if (index == m_index)
        return;
    m_index = index;
    showIndex(index);
    if (OnClick)
        OnClick();
    if (OnChange)
        OnChange();
}

void TRadioGroup::userPicked(int index)
{
    SetItemIndex(index);
}

} // namespace ngc
