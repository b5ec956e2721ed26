#include "TDataSource.h"

#include <algorithm>

namespace ngc {

DataLink::~DataLink()
{
    if (m_source)
        m_source->RemoveLink(this);
}

bool DataLink::relinkTo(TDataSource *source)
{
    if (m_source == source)
        return false;
    if (source)
        source->AddLink(this);
    else
        m_source->RemoveLink(this);
    return true;
}

TDataSource::TDataSource(QString name, TClientDataSet *dataSet) : m_name(std::move(name))
{
    SetDataSet(dataSet);
}

TDataSource::~TDataSource()
{
    if (m_dataSet)
        m_dataSet->DetachSource(this);
    for (DataLink *link : m_links)
        link->m_source = nullptr;
}

void TDataSource::SetDataSet(TClientDataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->DetachSource(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->AttachSource(this);
    NotifyStateChanged();
    NotifyDataChanged(nullptr);
}

DataSetState TDataSource::State() const
{
    return m_dataSet ? m_dataSet->State() : DataSetState::Inactive;
}

void TDataSource::AddLink(DataLink *link)
{
    if (!link || link->m_source == this)
        return;
    if (link->m_source)
        link->m_source->RemoveLink(link);
    m_links.push_back(link);
    link->m_source = this;
}

void TDataSource::RemoveLink(DataLink *link)
{
    const auto it = std::find(m_links.begin(), m_links.end(), link);
    if (it == m_links.end())
        return;
    m_links.erase(it);
    link->m_source = nullptr;
}

// A control may remove itself or another one while it is told about a change (a grid dropping
// an editor, say), so every round works on a copy and skips links that left meanwhile.
template <typename Call>
static void forEachLink(const std::vector<DataLink *> &links, TDataSource *source, Call call)
{
    const std::vector<DataLink *> snapshot = links;
    for (DataLink *link : snapshot) {
        if (std::find(links.begin(), links.end(), link) != links.end() &&
            link->linkedSource() == source)
            call(link);
    }
}

void TDataSource::NotifyStateChanged()
{
    forEachLink(m_links, this, [](DataLink *link) { link->stateChanged(); });
    if (OnStateChange)
        OnStateChange(*this);
}

void TDataSource::NotifyDataChanged(TField *field)
{
    forEachLink(m_links, this, [field](DataLink *link) { link->dataChanged(field); });
    if (OnDataChange)
        OnDataChange(*this, field);
}

void TDataSource::NotifyUpdateData()
{
    forEachLink(m_links, this, [](DataLink *link) { link->updateData(); });
}

} // namespace ngc
