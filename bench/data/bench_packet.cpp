// Loading a large item packet and building a delta, against a bare parse of the same JSON.
// Run from a release build: bench_packet --benchmark_min_time=2

#include <data/DataPacket.h>
#include <data/TClientDataSet.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

using namespace ngc;

namespace {

constexpr int kRows = 100000;
constexpr int kChanges = 1000;

// The item layout: 26 fields of strings, floats and dates.
QList<FieldDef> itemFields()
{
    using T = FieldType;
    return {{"CDFILIAL", T::String, 4},      {"NRCOLEPRECO", T::String, 10},
            {"CDPRODUTO", T::String, 10},    {"CDARVPROD", T::String, 20},
            {"CDMARCA", T::String, 5},       {"CDFORNECED", T::String, 21},
            {"CDREGIAO", T::String, 3},      {"CDTIPCOB", T::String, 2},
            {"NMTIPOCOBR", T::String, 20},   {"VRPRECUNIITM", T::Float, 0},
            {"VRPRECECOITM", T::Float, 0},   {"VRPERDESITM", T::Float, 0},
            {"QTACMPITMCOL", T::Float, 0},   {"CDFORMPGTO", T::String, 2},
            {"NMFORMPGTO", T::String, 30},   {"IDTPFOPGTCOL", T::String, 1},
            {"NRPARCPGTCOL", T::Float, 0},   {"NRDIAPGFXCOL", T::Float, 0},
            {"IDUTDIAPGCOL", T::String, 1},  {"IDTIPFREITM", T::String, 1},
            {"NRPZOENTCOL", T::String, 3},   {"DTINIVALITM", T::DateTime, 0},
            {"DTFINVALITM", T::DateTime, 0}, {"CDSEGMARCCOL", T::String, 5},
            {"NMMARCA", T::String, 20},      {"VRFRETEFORN", T::Float, 0}};
}

QString digits(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'), true);
}

DataPacket itemPacket()
{
    DataPacket packet;
    packet.fields = itemFields();
    packet.rows.reserve(kRows);
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
    for (int i = 0; i < kRows; ++i) {
        packet.rows.append(Row{
            digits(i % 40, 4), digits(2026000 + i / 1000, 10), digits(i, 10),
            QString("01.02.%1").arg(digits(i, 8)), digits(i % 997, 5), digits(i * 7, 14),
            digits(i % 27, 3), QString("0%1").arg(i % 9), QString("Tipo de cobranca %1").arg(i % 9),
            12.5 + i * 0.01, 11.875 + i / 3.0, (i % 20) * 0.5, 100.0 + (i % 50),
            digits(i % 30, 2), QString("Forma de pagamento numero %1").arg(i % 30),
            QString::number(i % 3), double(i % 12 + 1), double(i % 28 + 1), QString("E"),
            QString(i % 2 ? "C" : "F"), QString::number(i % 90), start.addDays(i % 365),
            start.addDays(i % 365 + 30), digits(i % 991, 5), QString("Marca %1").arg(i % 991),
            (i % 40) * 1.25});
    }
    return packet;
}

const QByteArray &itemJson()
{
    static const QByteArray json = packetToJson(itemPacket());
    return json;
}

void BM_BareParse(benchmark::State &state)
{
    const QByteArray &json = itemJson();
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(json);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(BM_BareParse)->Unit(benchmark::kMillisecond);

void BM_DecodeAndLoad(benchmark::State &state)
{
    const QByteArray &json = itemJson();
    TClientDataSet dataSet("cdsItemCole");
    for (auto _ : state) {
        dataSet.SetData(packetFromJson(json));
        benchmark::DoNotOptimize(dataSet.RecordCount());
    }
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(BM_DecodeAndLoad)->Unit(benchmark::kMillisecond);

// The path of a packet inside a remote call's reply: the whole reply is parsed as a document,
// then the packet is decoded from its value.
void BM_ParseDocumentDecodeAndLoad(benchmark::State &state)
{
    const QByteArray &json = itemJson();
    TClientDataSet dataSet("cdsItemCole");
    for (auto _ : state) {
        const QJsonDocument document = QJsonDocument::fromJson(json);
        dataSet.SetData(decodePacket(document.object()));
        benchmark::DoNotOptimize(dataSet.RecordCount());
    }
    state.SetBytesProcessed(state.iterations() * json.size());
}
BENCHMARK(BM_ParseDocumentDecodeAndLoad)->Unit(benchmark::kMillisecond);

void BM_DeltaOfChanges(benchmark::State &state)
{
    TClientDataSet dataSet("cdsItemCole");
    dataSet.SetData(packetFromJson(itemJson()));
    TField &discount = dataSet.FieldByName("VRPERDESITM");
    for (int i = 0; i < kChanges; ++i) {
        dataSet.SetRecNo(1 + i * (kRows / kChanges));
        dataSet.Edit();
        discount.SetAsFloat(discount.AsFloat() + 1.5);
        dataSet.Post();
    }
    for (auto _ : state) {
        const QByteArray json = deltaToJson(dataSet.Delta());
        benchmark::DoNotOptimize(json.size());
    }
    state.counters["changes"] = dataSet.ChangeCount();
}
BENCHMARK(BM_DeltaOfChanges)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
