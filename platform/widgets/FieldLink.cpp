#include "FieldLink.h"

#include <data/TClientDataSet.h>
#include <data/TField.h>
#include <host/HostServices.h>

namespace ngc {

FieldLink::FieldLink(std::function<void()> show, std::function<void()> write)
    : m_show(std::move(show)), m_write(std::move(write))
{
}

FieldLink::~FieldLink() = default;

void FieldLink::SetDataSource(TDataSource *source)
{
    if (linkedSource() == source)
        return;
    if (linkedSource())
        linkedSource()->removeLink(this);
    if (source)
        source->addLink(this);
    guarded(m_show);
}

void FieldLink::SetDataField(const QString &fieldName)
{
    m_fieldName = fieldName;
    guarded(m_show);
}

TClientDataSet *FieldLink::DataSet() const
{
    return linkedSource() ? linkedSource()->DataSet() : nullptr;
}

TField *FieldLink::Field() const
{
    TClientDataSet *dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || m_fieldName.isEmpty())
        return nullptr;
    return dataSet->FindField(m_fieldName);
}

bool FieldLink::Editing() const
{
    const TClientDataSet *dataSet = DataSet();
    return dataSet &&
           (dataSet->State() == DataSetState::Edit || dataSet->State() == DataSetState::Insert);
}

bool FieldLink::Edit()
{
    if (!Field())
        return false;
    TClientDataSet *dataSet = DataSet();
    if (dataSet->State() == DataSetState::Browse)
        dataSet->Edit();
    return Editing();
}

void FieldLink::stateChanged()
{
    guarded(m_show);
}

void FieldLink::dataChanged(TField *field)
{
    if (m_writing)
        return;
    if (field && (&field->DataSet() != DataSet() ||
                  field->FieldName().compare(m_fieldName, Qt::CaseInsensitive) != 0))
        return;
    guarded(m_show);
}

void FieldLink::updateData()
{
    if (m_write)
        m_write();
}

} // namespace ngc
