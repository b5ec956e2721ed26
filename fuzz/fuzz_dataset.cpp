// Drives a dataset with arbitrary sequences of navigation, editing, filtering and change-log
// operations, and after each one checks what must always hold: the position is within the
// visible records, the filter holds for every visible record, the change count is the delta's
// size, applying the delta to what was loaded gives the current records, undoing gives back what
// was loaded, and a refused post changes nothing.

#include <data/TClientDataSet.h>
#include <services/SilentAbort.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace ngc;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString rowKey(const Row &row)
{
    QString key;
    for (const QVariant &value : row)
        key += (value.isNull() ? QStringLiteral("~") : value.toString()) + QLatin1Char('|');
    return key;
}

QStringList sortedKeys(const QList<Row> &rows)
{
    QStringList keys;
    for (const Row &row : rows)
        keys << rowKey(row);
    keys.sort();
    return keys;
}

class Driver {
public:
    Driver(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    void run()
    {
        DataPacket packet;
        packet.fields = {{QStringLiteral("K"), FieldType::String, 3},
                         {QStringLiteral("V"), FieldType::Float, 0}};
        const int rows = next() % 8;
        for (int i = 0; i < rows; ++i)
            packet.rows.append(Row{QString::number(next() % 20), double(next() % 10)});
        m_ds.BeforePost = [](TClientDataSet &ds) {
            if (ds.FieldByName(QStringLiteral("K")).AsString() == QStringLiteral("13"))
                throw SilentAbort();
        };
        m_ds.OnFilterRecord = [this](TClientDataSet &ds) {
            return ds.FieldByName(QStringLiteral("V")).AsFloat() < m_limit;
        };
        m_ds.SetData(packet);
        m_base = m_ds.Data();
        while (m_pos < m_size) {
            step(next());
            verify();
        }
    }

private:
    uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    void step(uint8_t op)
    {
        TClientDataSet &ds = m_ds;
        const bool editing = ds.State() == DataSetState::Edit || ds.State() == DataSetState::Insert;
        const DataPacket before = ds.Data();
        const DeltaPacket deltaBefore = ds.Delta();
        const DataSetState stateBefore = ds.State();
        const int recNoBefore = ds.RecNo();
        try {
            switch (op % 18) {
            case 0: ds.First(); break;
            case 1: ds.Next(); break;
            case 2: ds.Prior(); break;
            case 3: ds.Last(); break;
            case 4: ds.Insert(); break;
            case 5: ds.Append(); break;
            case 6: ds.Edit(); break;
            case 7: ds.Post(); break;
            case 8: ds.Cancel(); break;
            case 9: ds.Delete(); break;
            case 10:
                if (editing)
                    ds.FieldByName(QStringLiteral("K")).SetValue(QString::number(next() % 20));
                break;
            case 11:
                if (editing)
                    ds.FieldByName(QStringLiteral("V")).SetValue(double(next() % 10));
                break;
            case 12: {
                const double limit = next() % 11;
                ds.SetFiltered(false); // may post, and be refused
                m_limit = limit;
                ds.SetFiltered(op & 0x80);
                break;
            }
            case 13:
                if (!editing) {
                    ds.MergeChangeLog();
                    m_base = ds.Data();
                }
                break;
            case 14:
                ds.CancelUpdates();
                check(ds.Data() == m_base);
                break;
            case 15: ds.SetRecNo(next() % 10); break;
            case 16: ds.Locate(QStringLiteral("K"), QString::number(next() % 20)); break;
            case 17:
                if (!editing) {
                    ds.EmptyDataSet();
                    m_base = ds.Data();
                }
                break;
            }
        } catch (const SilentAbort &) {
            // Only a post refuses; a refused post, on its own or on the way to another record,
            // leaves everything as it was.
            check(ds.Data() == before);
            check(ds.State() == stateBefore);
            check(ds.RecNo() == recNoBefore);
            check(ds.Delta() == deltaBefore);
        } catch (const DataSetError &) {
            check(ds.IsEmpty()); // Delete on an empty dataset
        }
    }

    void verify()
    {
        TClientDataSet &ds = m_ds;
        const int count = ds.RecordCount();
        check(ds.RecNo() >= 0 && ds.RecNo() <= count);
        check((ds.RecNo() == 0) == ds.IsEmpty());
        const DeltaPacket delta = ds.Delta();
        check(ds.ChangeCount() == delta.changes.size());
        if (ds.State() != DataSetState::Browse)
            return;
        const DataPacket data = ds.Data();
        if (ds.Filtered()) {
            qsizetype passing = 0;
            for (const Row &row : data.rows)
                passing += row.at(1).toDouble() < m_limit ? 1 : 0;
            check(passing == count);
            for (int recNo = 1; recNo <= count; ++recNo)
                check(ds.ValueAt(recNo, 1).toDouble() < m_limit);
        } else {
            check(count == data.rows.size());
        }
        // What was loaded, with the delta applied, is what the dataset holds.
        QStringList expected = sortedKeys(m_base.rows);
        for (const DeltaChange &change : delta.changes) {
            if (change.op != DeltaChange::Op::Insert) {
                const qsizetype at = expected.indexOf(rowKey(change.oldRow));
                check(at >= 0);
                expected.removeAt(at);
            }
            if (change.op != DeltaChange::Op::Delete)
                expected << rowKey(change.newRow);
            if (change.op == DeltaChange::Op::Update)
                check(change.oldRow != change.newRow);
        }
        expected.sort();
        check(expected == sortedKeys(data.rows));
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
    double m_limit = 5;
    TClientDataSet m_ds{QStringLiteral("cdsFuzz")};
    DataPacket m_base;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Driver(data, size).run();
    return 0;
}
