#include "TDBCheckBox.h"

#include <data/TField.h>
#include <services/HostServices.h>

namespace ngc {

TDBCheckBox::TDBCheckBox(QWidget *parent, const QString &name)
    : QCheckBox(parent), m_link([this] { showField(); }, {}),
      m_focus(this, guardedEvent(OnEnter), guardedEvent(OnExit))
{
    if (!name.isEmpty())
        setObjectName(name);
}

TDBCheckBox::~TDBCheckBox() = default;

void TDBCheckBox::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
}

void TDBCheckBox::SetDataField(const QString &fieldName)
{
    m_link.SetDataField(fieldName);
}

void TDBCheckBox::SetValueChecked(const QString &value)
{
    m_checked = value;
    showField();
}

void TDBCheckBox::SetValueUnchecked(const QString &value)
{
    m_unchecked = value;
    showField();
}

void TDBCheckBox::showField()
{
    if (!m_link.DataSource())
        return;
    const TField *field = Field();
    setShown(field && field->Text() == m_checked);
}

void TDBCheckBox::setShown(bool checked)
{
    if (isChecked() == checked)
        return;
    setChecked(checked);
    if (OnChange)
        guarded(OnChange);
}

void TDBCheckBox::nextCheckState()
{
    guarded([this] {
        if (m_readOnly)
            return;
        const bool checked = !isChecked();
        if (m_link.DataSource()) {
            if (!m_link.Edit())
                return;
            {
                FieldLink::WriteScope writing(m_link);
                Field()->SetText(checked ? m_checked : m_unchecked);
            }
            showField();
        } else {
            setShown(checked);
        }
        if (OnClick)
            OnClick();
    });
}

} // namespace ngc
