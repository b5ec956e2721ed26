#include "RowSource.h"

namespace ngc {

qint64 RowSource::integer(int) const
{
    return 0;
}

double RowSource::real(int) const
{
    return 0;
}

QByteArrayView RowSource::text(int) const
{
    return {};
}

int RowList::columnCount() const
{
    return m_columns;
}

bool RowList::next()
{
    return ++m_at < m_rows.size();
}

RowSource::Kind RowList::kind(int column) const
{
    return m_rows[m_at][column].isNull() ? Kind::Null : Kind::Other;
}

QVariant RowList::value(int column) const
{
    return m_rows[m_at][column];
}

} // namespace ngc
