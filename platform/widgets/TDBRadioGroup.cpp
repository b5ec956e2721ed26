#include "TDBRadioGroup.h"

#include <data/TField.h>
#include <services/HostServices.h>
#include <services/SilentAbort.h>

namespace ngc {

TDBRadioGroup::TDBRadioGroup(QWidget *parent, const QString &name)
    : TRadioGroup(parent, name), m_link([this] { showField(); }, {})
{
}

TDBRadioGroup::~TDBRadioGroup() = default;

void TDBRadioGroup::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
}

void TDBRadioGroup::SetDataField(const QString &fieldName)
{
    m_link.SetDataField(fieldName);
}

void TDBRadioGroup::SetValues(const QStringList &values)
{
    m_values = values;
    showField();
}

QString TDBRadioGroup::valueOf(int index) const
{
    if (index < 0 || index >= Items().size())
        return {};
    return index < m_values.size() ? m_values.at(index) : Items().at(index);
}

QString TDBRadioGroup::Value() const
{
    return valueOf(ItemIndex());
}

void TDBRadioGroup::showField()
{
    const TField *field = Field();
    int index = -1;
    if (field) {
        const QString text = field->Text();
        for (int i = 0; i < Items().size(); ++i)
            if (valueOf(i) == text) {
                index = i;
                break;
            }
    }
    if (index != ItemIndex())
        guarded([&] { SetItemIndex(index); });
}

void TDBRadioGroup::userPicked(int index)
{
    if (index == ItemIndex())
        return;
    if (!m_link.DataSource()) {
        TRadioGroup::userPicked(index);
        return;
    }
    if (m_readOnly || !m_link.Edit())
        throw SilentAbort();
    {
        FieldLink::WriteScope writing(m_link);
        Field()->SetText(valueOf(index));
    }
    // The field's text handlers decide what it holds; show that.
    showField();
}

} // namespace ngc
