#pragma once

#include <server/storage/Database.h>

#include <json/JsonSpan.h>

#include <QByteArray>
#include <QString>

#include <functional>

namespace ngc {

// What the log records of one request.
struct RequestLog {
    QString object;
    QString method;
    double milliseconds = 0;
    QString outcome; // "ok", "fail" (a business refusal), "error <code>" or "http <status>"
    bool databaseError = false; // the error came from the database
};

// JSON-RPC 2.0 over the remote objects: takes a request document and the object it was sent to
// and returns the response document. It knows nothing of the transport, so it is the same behind
// HTTP, in tests and in benchmarks. A batch (an array of requests) runs its requests in order and
// is answered with the array of their replies; notifications (requests without an id) run and
// are not answered.
class Dispatcher final {
public:
    enum ErrorCode {
        ParseError = -32700,
        InvalidRequest = -32600,
        MethodNotFound = -32601,
        InvalidParamsCode = -32602,
        InternalError = -32603,
    };

    explicit Dispatcher(Database &database, std::function<void(const RequestLog &)> log = {});

    // Empty when there is nothing to answer: a notification, or a batch of nothing else.
    QByteArray handle(const QString &object, const QByteArray &request) const;

    // A complete error response, for faults found before a request reaches the dispatcher.
    static QByteArray errorResponse(int code, const QString &message);

private:
    // One request of a document, which may be anything a batch can hold.
    QByteArray answer(const QString &object, const JsonSpan &request) const;

    Database &m_database;
    std::function<void(const RequestLog &)> m_log;
};

} // namespace ngc
