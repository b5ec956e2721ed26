#include "CheckResultServ.h"

#include <net/NetError.h>

#include <host/HostServices.h>

#include <QJsonArray>
#include <QJsonObject>

namespace ngc {

QJsonValue CheckResultServ(const QJsonValue &reply, bool showFailure, int index)
{
    QJsonValue one = reply;
    if (reply.isArray()) {
        const QJsonArray replies = reply.toArray();
        if (index < 0 || index >= replies.size())
            throw NetError(QStringLiteral("Resposta do servidor de aplicação sem o resultado %1 "
                                          "(há %2)")
                               .arg(index)
                               .arg(replies.size())
                               .toStdString());
        one = replies.at(index);
    } else if (index != 0) {
        throw NetError(QStringLiteral("Resposta do servidor de aplicação sem o resultado %1 "
                                      "(há um só)")
                           .arg(index)
                           .toStdString());
    }

    const QJsonObject object = one.toObject();
    const QJsonValue ok = object.value(QStringLiteral("ok"));
    if (!one.isObject() || !ok.isBool())
        throw NetError("Resposta do servidor de aplicação em formato desconhecido");
    if (!ok.toBool()) {
        QString message = object.value(QStringLiteral("message")).toString();
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
    return object.value(QStringLiteral("data"));
}

DataPacket packetOf(const QJsonValue &data)
{
    return decodePacket(data);
}

DataPacket packetAt(const QJsonValue &data, int index)
{
    if (!data.isArray())
        throw NetError("Resultado do servidor de aplicação não é uma lista de pacotes de dados");
    const QJsonArray packets = data.toArray();
    if (index < 0 || index >= packets.size())
        throw NetError(QStringLiteral("Resultado do servidor de aplicação sem o pacote %1 (há %2)")
                           .arg(index)
                           .arg(packets.size())
                           .toStdString());
    return decodePacket(packets.at(index));
}

} // namespace ngc
