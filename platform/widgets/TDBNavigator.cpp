#include "TDBNavigator.h"

#include <data/TClientDataSet.h>
#include <services/HostServices.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace ngc {

TDBNavigator::TDBNavigator(QWidget *parent, const QString &name) : QWidget(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const struct {
        Button button;
        const char *name;
        const char *glyph;
        const char *hint;
    } buttons[] = {
        {Button::First, "nbFirst", "|<", "Primeiro registro"},
        {Button::Prior, "nbPrior", "<", "Registro anterior"},
        {Button::Next, "nbNext", ">", "Próximo registro"},
        {Button::Last, "nbLast", ">|", "Último registro"},
    };
    for (const auto &b : buttons) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromLatin1(b.glyph));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        const Button which = b.button;
        connect(button, &QToolButton::clicked, this,
                [this, which] { guarded([&] { BtnClick(which); }); });
        m_buttons[static_cast<int>(b.button)] = button;
        row->addWidget(button);
    }
    updateButtons();
}

TDBNavigator::~TDBNavigator() = default;

void TDBNavigator::SetDataSource(TDataSource *source)
{
    if (!relinkTo(source))
        return;
    updateButtons();
}

QToolButton *TDBNavigator::ButtonOf(Button button) const
{
    return m_buttons[static_cast<int>(button)];
}

void TDBNavigator::BtnClick(Button button)
{
    TClientDataSet *dataSet = linkedSource() ? linkedSource()->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active())
        return;
    // Moving away from a record being edited keeps what was typed.
    if (dataSet->State() == DataSetState::Edit || dataSet->State() == DataSetState::Insert)
        dataSet->Post();
    switch (button) {
    case Button::First:
        dataSet->First();
        break;
    case Button::Prior:
        dataSet->Prior();
        break;
    case Button::Next:
        dataSet->Next();
        break;
    case Button::Last:
        dataSet->Last();
        break;
    }
    updateButtons();
}

void TDBNavigator::stateChanged()
{
    updateButtons();
}

void TDBNavigator::dataChanged(TField *field)
{
    if (!field)
        updateButtons();
}

void TDBNavigator::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}

void TDBNavigator::updateButtons()
{
    const TClientDataSet *dataSet = linkedSource() ? linkedSource()->DataSet() : nullptr;
    const bool active = isEnabled() && dataSet && dataSet->Active() && !dataSet->IsEmpty();
    const int recNo = active ? dataSet->RecNo() : 0;
    const int count = active ? dataSet->RecordCount() : 0;
    ButtonOf(Button::First)->setEnabled(active && recNo > 1);
    ButtonOf(Button::Prior)->setEnabled(active && recNo > 1);
    ButtonOf(Button::Next)->setEnabled(active && recNo < count);
    ButtonOf(Button::Last)->setEnabled(active && recNo < count);
}

} // namespace ngc
