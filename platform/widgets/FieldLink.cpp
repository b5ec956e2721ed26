#include "FieldLink.h"

#include <data/EditMask.h>
#include <data/TClientDataSet.h>
#include <data/TField.h>
#include <services/HostServices.h>

#include <QLocale>

namespace ngc {

FieldLink::FieldLink(std::function<void()> show, std::function<void()> write)
    : m_show(std::move(show)), m_write(std::move(write))
{
}

FieldLink::~FieldLink() = default;

void FieldLink::SetDataSource(TDataSource *source)
{
    if (!relinkTo(source))
        return;
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

bool FieldAcceptsChar(const TField &field, QChar ch)
{
    const EditMask mask(field.EditMask);
    if (!mask.isEmpty()) {
        bool digitsOnly = true;
        for (const EditMask::Position &position : mask.positions())
            if (position.kind != EditMask::Kind::Digit)
                digitsOnly = false;
        if (digitsOnly)
            return ch.isDigit();
    }
    const QLocale locale;
    switch (field.DataType()) {
    case FieldType::Float:
        return ch.isDigit() || QString(ch) == locale.decimalPoint() || ch == QLatin1Char('+') ||
               ch == QLatin1Char('-') || ch == QLatin1Char('e') || ch == QLatin1Char('E');
    case FieldType::Integer:
        return ch.isDigit() || ch == QLatin1Char('+') || ch == QLatin1Char('-');
    case FieldType::String:
    case FieldType::DateTime:
    case FieldType::Boolean:
        break;
    }
    return true;
}

} // namespace ngc
