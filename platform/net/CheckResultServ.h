#pragma once

#include <net/RemoteData.h>
#include <net/RemoteReply.h>

#include <data/DataPacket.h>

#include <QJsonValue>

namespace ngc {

// Checks the reply of a remote method ({"ok":true,"data":...} or {"ok":false,"message":...}) and
// returns its data part. A failure the server reports is, with showFailure set, shown through the
// host's error routine and the running operation ends with a silent abort; without it the failure
// is raised as a NetError for the caller to handle. index picks one reply when a method returned
// several in an array; a single reply is index 0. Anything else is a NetError.
//
// Given the reply as the connection returns it, the data part stays in the received bytes, so
// that packetOf and packetAt decode it once, from the text.
RemoteData CheckResultServ(const RemoteReply &reply, bool showFailure = true, int index = 0);
QJsonValue CheckResultServ(const QJsonValue &reply, bool showFailure = true, int index = 0);

// The data part as one packet (a method that returns one data set).
DataPacket packetOf(const RemoteData &data);
DataPacket packetOf(const QJsonValue &data);
// Element index of a data part that is an array of packets (a method that returns several data
// sets); a data part that is no array, or has no such element, is a NetError.
DataPacket packetAt(const RemoteData &data, int index);
DataPacket packetAt(const QJsonValue &data, int index);

} // namespace ngc
