#include <services/DataSetSnapshotModel.h>

#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <QApplication>
#include <QHeaderView>

namespace ngc {

DataSetSnapshotModel::DataSetSnapshotModel(TClientDataSet *dataSet, bool checkable, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet), m_checkable(checkable)
{
    if (!m_dataSet || !m_dataSet->Active())
        return;
    m_rows = m_dataSet->RecordCount();
    for (int i = 0; i < m_dataSet->FieldCount(); ++i) {
        if (m_dataSet->Fields(i).Visible)
            m_fields.append(i);
    }
    m_checked.fill(false, m_rows);
}

int DataSetSnapshotModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataSetSnapshotModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QString DataSetSnapshotModel::displayText(int row, int column) const
{
    return m_dataSet->DisplayTextAt(row + 1, m_fields.at(column));
}

QVariant DataSetSnapshotModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return displayText(index.row(), index.column());
    case Qt::CheckStateRole:
        if (m_checkable && index.column() == 0)
            return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

QVariant DataSetSnapshotModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_fields.size())
        return {};
    return m_dataSet->Fields(m_fields.at(section)).DisplayName();
}

Qt::ItemFlags DataSetSnapshotModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable && index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

bool DataSetSnapshotModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void DataSetSnapshotModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_rows || m_checked.at(row) == checked)
        return;
    m_checked[row] = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void DataSetSnapshotModel::setAllChecked(bool checked)
{
    for (int row = 0; row < m_rows; ++row)
        setChecked(row, checked);
}

void DataSetSnapshotModel::toggle(int row)
{
    if (row >= 0 && row < m_rows)
        setChecked(row, !m_checked.at(row));
}

void ListTableView::keyboardSearch(const QString &search)
{
    const bool extending =
        m_typed.isValid() && m_typed.elapsed() < QApplication::keyboardInputInterval();
    // The same key again after a pause goes on to the next row that matches.
    const bool again = !extending && search == m_sought;
    m_sought = extending ? m_sought + search : search;
    m_typed.start();
    QAbstractItemModel *rows = model();
    if (!rows || rows->rowCount() == 0 || m_sought.isEmpty())
        return;
    const QModelIndex current = currentIndex();
    const int from = current.isValid() ? current.row() + (again ? 1 : 0) : 0;
    const int count = rows->rowCount();
    for (int step = 0; step < count; ++step) {
        const int row = (from + step) % count;
        for (int column = 0; column < rows->columnCount(); ++column) {
            const QString shown = rows->index(row, column).data().toString();
            if (shown.startsWith(m_sought, Qt::CaseInsensitive)) {
                setCurrentIndex(rows->index(row, current.isValid() ? current.column() : 0));
                return;
            }
        }
    }
}

void setUpListTable(QTableView *table, DataSetSnapshotModel *model)
{
    table->setObjectName(QStringLiteral("tblLista"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
}

} // namespace ngc
