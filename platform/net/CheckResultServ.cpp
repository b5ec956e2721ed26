#include "CheckResultServ.h"

#include <net/NetError.h>

#include <services/HostServices.h>

namespace ngc {

using namespace Qt::StringLiterals;

RemoteData CheckResultServ(const RemoteReply &reply, bool showFailure, int index)
{
    JsonSpan one = reply;
    if (reply.isArray()) {
        const qsizetype count = reply.size();
        if (index < 0 || index >= count)
            throw NetError(QStringLiteral("Resposta do servidor de aplicação sem o resultado %1 "
                                          "(há %2)")
                               .arg(index)
                               .arg(count)
                               .toStdString());
        one = reply.at(index);
    } else if (index != 0) {
        throw NetError(QStringLiteral("Resposta do servidor de aplicação sem o resultado %1 "
                                      "(há um só)")
                           .arg(index)
                           .toStdString());
    }

    const JsonSpan ok = one.member("ok"_L1);
    if (!one.isObject() || !ok.isBool())
        throw NetError("Resposta do servidor de aplicação em formato desconhecido");
    if (!ok.toBool()) {
        QString message = one.member("message"_L1).toString();
        // An empty text would show a blank box and leave the user guessing.
        if (message.trimmed().isEmpty())
            message = QStringLiteral("O servidor de aplicação recusou a operação sem informar "
                                     "o motivo.");
        if (!showFailure)
            throw NetError(message.toStdString());
        MensErro(message, true);
        // MensErro with abort never returns; should a host routine ever do so, the operation
        // must still not go on as if it had succeeded.
        throw SilentAbort();
    }
    return RemoteData(one.member("data"_L1));
}

QJsonValue CheckResultServ(const QJsonValue &reply, bool showFailure, int index)
{
    return CheckResultServ(RemoteReply(reply), showFailure, index).toJson();
}

DataPacket packetOf(const RemoteData &data)
{
    // A packet read in place is decoded from its bytes; one a caller built, or none at all, from
    // its value.
    const QByteArray text = data.rawJson();
    return text.isNull() ? decodePacket(data.toJson()) : packetFromJson(text);
}

DataPacket packetOf(const QJsonValue &data)
{
    return decodePacket(data);
}

DataPacket packetAt(const RemoteData &data, int index)
{
    if (!data.isArray())
        throw NetError("Resultado do servidor de aplicação não é uma lista de pacotes de dados");
    const qsizetype count = data.size();
    if (index < 0 || index >= count)
        throw NetError(QStringLiteral("Resultado do servidor de aplicação sem o pacote %1 (há %2)")
                           .arg(index)
                           .arg(count)
                           .toStdString());
    return packetOf(RemoteData(data.at(index)));
}

DataPacket packetAt(const QJsonValue &data, int index)
{
    return packetAt(RemoteData(data), index);
}

} // namespace ngc
