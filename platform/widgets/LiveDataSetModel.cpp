#include "LiveDataSetModel.h"

#include <data/TClientDataSet.h>
#include <data/TField.h>

namespace ngc {

LiveDataSetModel::LiveDataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

LiveDataSetModel::~LiveDataSetModel() = default;

void LiveDataSetModel::SetDataSource(TDataSource *source)
{
    if (!relinkTo(source))
        return;
    refresh(true);
}

TClientDataSet *LiveDataSetModel::DataSet() const
{
    return linkedSource() ? linkedSource()->DataSet() : nullptr;
}

void LiveDataSetModel::SetColumns(const QList<TColumn> &columns)
{
    m_declared = columns;
    refresh(true);
}

QList<TColumn> LiveDataSetModel::columnsFor(TClientDataSet *dataSet) const
{
    QList<TColumn> shown;
    if (m_declared.isEmpty()) {
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            if (dataSet->Fields(i).Visible) {
                TColumn column;
                column.FieldName = dataSet->Fields(i).FieldName();
                shown.append(column);
            }
        return shown;
    }
    for (const TColumn &column : m_declared) {
        const TField *field = dataSet->FindField(column.FieldName);
        if (field && field->Visible)
            shown.append(column);
    }
    return shown;
}

TField *LiveDataSetModel::FieldAt(int column) const
{
    TClientDataSet *dataSet = DataSet();
    if (!m_active || dataSet != m_dataSet || column < 0 || column >= m_fieldIndex.size())
        return nullptr;
    return &dataSet->Fields(m_fieldIndex.at(column));
}

int LiveDataSetModel::ColumnOf(const QString &fieldName) const
{
    for (int i = 0; i < m_shown.size(); ++i)
        if (m_shown.at(i).FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int LiveDataSetModel::CurrentRow() const
{
    const TClientDataSet *dataSet = DataSet();
    if (!m_active || !dataSet || dataSet->IsEmpty())
        return -1;
    return dataSet->RecNo() - 1;
}

void LiveDataSetModel::WriteCell(int column, const QString &text)
{
    TField *field = FieldAt(column);
    if (!field)
        return;
    field->SetText(text);
}

void LiveDataSetModel::refresh(bool columnsToo)
{
    TClientDataSet *dataSet = DataSet();
    const bool active = dataSet && dataSet->Active();
    const int rows = active ? dataSet->RecordCount() : 0;
    QList<TColumn> shown;
    QList<int> fieldIndex;
    if (active) {
        shown = columnsFor(dataSet);
        for (const TColumn &column : shown)
            fieldIndex.append(dataSet->FieldByName(column.FieldName).Index());
    }
    const DataSetState state = dataSet ? dataSet->State() : DataSetState::Inactive;
    if (state != m_state) {
        m_state = state;
        m_rowModified = false;
    }
    const bool structural = columnsToo || dataSet != m_dataSet || active != m_active ||
                            rows != m_rows || fieldIndex != m_fieldIndex;
    if (structural) {
        const bool columnsChange = columnsToo || fieldIndex != m_fieldIndex;
        beginResetModel();
        m_dataSet = dataSet;
        m_active = active;
        m_rows = rows;
        m_shown = shown;
        m_fieldIndex = fieldIndex;
        endResetModel();
        if (columnsChange)
            emit columnsChanged();
    } else if (m_rows > 0 && !m_shown.isEmpty()) {
        emit QAbstractTableModel::dataChanged(index(0, 0),
                                              index(m_rows - 1, int(m_shown.size()) - 1));
    }
    emit recordMoved();
}

void LiveDataSetModel::stateChanged()
{
    refresh(false);
}

void LiveDataSetModel::dataChanged(TField *field)
{
    if (!field) {
        refresh(false);
        return;
    }
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        m_rowModified = true;
    // A field no column shows (a hidden key written before a post) changes no cell, unless a
    // column's text handler may read it.
    if (!m_fieldIndex.contains(field->Index())) {
        bool readByHandler = false;
        for (int column = 0; column < m_shown.size(); ++column) {
            const TField *shown = FieldAt(column);
            readByHandler = readByHandler || (shown && shown->OnGetText);
        }
        if (!readByHandler)
            return;
    }
    const int row = CurrentRow();
    if (row >= 0 && row < m_rows)
        emit QAbstractTableModel::dataChanged(index(row, 0), index(row, int(m_shown.size()) - 1));
}

void LiveDataSetModel::updateData()
{
    if (OnUpdateData)
        OnUpdateData();
}

int LiveDataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int LiveDataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant LiveDataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    TField *field = FieldAt(index.column());
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataSet->DisplayTextAt(index.row() + 1, m_fieldIndex.at(index.column()));
    case Qt::EditRole:
        if (index.row() == CurrentRow())
            return field->Text();
        return m_dataSet->DisplayTextAt(index.row() + 1, m_fieldIndex.at(index.column()));
    case Qt::TextAlignmentRole:
        if (field->DataType() == FieldType::Float || field->DataType() == FieldType::Integer)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant LiveDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_rows)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_shown.size())
        return {};
    const TColumn &column = m_shown.at(section);
    switch (role) {
    case Qt::DisplayRole:
        if (!column.Title.isEmpty())
            return column.Title;
        if (const TField *field = FieldAt(section))
            return field->DisplayName();
        return column.FieldName;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.TitleAlignment);
    default:
        return {};
    }
}

Qt::ItemFlags LiveDataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

} // namespace ngc
