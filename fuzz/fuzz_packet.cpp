// Feeds arbitrary bytes to the packet decoders. The text reader must never accept what Qt's JSON
// document parser refuses, and must agree with the document-based decoder on every packet both
// accept (but for a byte-order mark that starts a string, which Qt's parser drops and the text
// reader keeps). An accepted packet must load into a dataset, survive a round trip through its own
// encoding unchanged, and give a delta that decodes again.

#include <data/DataPacket.h>
#include <data/TClientDataSet.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void exerciseDataSet(const ngc::DataPacket &packet)
{
    ngc::TClientDataSet dataSet;
    dataSet.SetData(packet);
    check(dataSet.RecordCount() == packet.rows.size());
    check(dataSet.Data() == packet);
    if (dataSet.IsEmpty() || dataSet.FieldCount() == 0)
        return;
    dataSet.Last();
    dataSet.Edit();
    dataSet.Fields(0).Clear();
    dataSet.Post();
    dataSet.First();
    dataSet.Delete();
    const ngc::DeltaPacket delta = dataSet.Delta();
    check(ngc::deltaFromJson(ngc::deltaToJson(delta)) == delta);
    dataSet.CancelUpdates();
    check(dataSet.ChangeCount() == 0);
    check(dataSet.Data() == packet);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const bool validJson = error.error == QJsonParseError::NoError;
    try {
        const ngc::DataPacket packet = ngc::packetFromJson(bytes);
        check(validJson);
        try {
            if (!bytes.contains("\"\xEF\xBB\xBF"))
                check(ngc::decodePacket(document.object()) == packet);
        } catch (const ngc::PacketError &) {
        }
        check(ngc::packetFromJson(ngc::packetToJson(packet)) == packet);
        exerciseDataSet(packet);
    } catch (const ngc::PacketError &) {
    }
    try {
        const ngc::DeltaPacket delta = ngc::deltaFromJson(bytes);
        check(ngc::deltaFromJson(ngc::deltaToJson(delta)) == delta);
    } catch (const ngc::PacketError &) {
    }
    return 0;
}
