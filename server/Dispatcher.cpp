#include "Dispatcher.h"

#include "Methods.h"
#include "RequestError.h"

#include <json/JsonTokenizer.h>
#include <json/JsonWriter.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QtGlobal>

#include <cmath>
#include <limits>

namespace ngc {

namespace {

// An error response; keys in the order a QJsonObject keeps them, as in every response here.
QByteArray errorText(const QJsonValue &id, int code, const QString &message)
{
    JsonWriter writer;
    writer.raw("{\"error\":{\"code\":");
    writer.integer(code);
    writer.raw(",\"message\":");
    writer.string(message);
    writer.raw("},\"id\":");
    writer.value(id);
    writer.raw(",\"jsonrpc\":\"2.0\"}");
    return writer.take();
}

// A result envelope written as text; keys in the order a QJsonObject keeps them, so the bytes
// are what Qt's document writer would give. `reply` writes the reply object's members.
template <typename Reply>
QByteArray resultText(const QJsonValue &id, const MethodSpec &spec, const QJsonArray &args,
                      Reply reply)
{
    JsonWriter writer;
    writer.raw("{\"id\":");
    writer.value(id);
    writer.raw(",\"jsonrpc\":\"2.0\",\"result\":{\"refs\":[");
    // One entry per argument: the final value of a by-reference argument, null for the others.
    for (qsizetype i = 0; i < spec.args.size(); ++i) {
        if (i != 0)
            writer.raw(",");
        const ArgKind kind = spec.args[i].kind;
        if (kind == ArgKind::StringRef || kind == ArgKind::VariantRef)
            writer.value(args.at(i));
        else
            writer.null();
    }
    writer.raw("],\"reply\":{");
    reply(writer);
    writer.raw("}}}");
    return writer.take();
}

bool isInt32(const QJsonValue &value)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::floor(number) == number &&
           number >= static_cast<double>(std::numeric_limits<qint32>::min()) &&
           number <= static_cast<double>(std::numeric_limits<qint32>::max());
}

QString kindName(ArgKind kind)
{
    switch (kind) {
    case ArgKind::StringValue:
    case ArgKind::StringRef:
        return QStringLiteral("a string");
    case ArgKind::VariantValue:
        return QStringLiteral("null or a data packet");
    case ArgKind::VariantRef:
        return QStringLiteral("null or an array of strings");
    case ArgKind::Boolean:
        return QStringLiteral("true or false");
    case ArgKind::Integer:
        return QStringLiteral("a 32-bit integer");
    }
    return {};
}

bool matches(const QJsonValue &value, ArgKind kind)
{
    switch (kind) {
    case ArgKind::StringValue:
    case ArgKind::StringRef:
        return value.isString();
    case ArgKind::VariantValue:
        return value.isNull() || value.isObject();
    case ArgKind::VariantRef:
        if (value.isNull())
            return true;
        if (!value.isArray())
            return false;
        for (const QJsonValue &entry : value.toArray()) {
            if (!entry.isString())
                return false;
        }
        return true;
    case ArgKind::Boolean:
        return value.isBool();
    case ArgKind::Integer:
        return isInt32(value);
    }
    return false;
}

void checkArguments(const MethodSpec &spec, const QJsonArray &params)
{
    if (params.size() != spec.args.size())
        throw InvalidParams(QStringLiteral("%1 takes %2 arguments, %3 given")
                                .arg(spec.name)
                                .arg(spec.args.size())
                                .arg(params.size()));
    for (int i = 0; i < spec.args.size(); ++i) {
        const ArgSpec &arg = spec.args[i];
        if (!matches(params[i], arg.kind))
            throw InvalidParams(QStringLiteral("argument %1 (%2) must be %3")
                                    .arg(i + 1)
                                    .arg(arg.name, kindName(arg.kind)));
        if (arg.maxLength > 0 && params[i].toString().size() > arg.maxLength)
            throw InvalidParams(QStringLiteral("argument %1 (%2): %3 characters exceed the "
                                               "column size %4")
                                    .arg(i + 1)
                                    .arg(arg.name)
                                    .arg(params[i].toString().size())
                                    .arg(arg.maxLength));
    }
}

} // namespace

Dispatcher::Dispatcher(Database &database, std::function<void(const RequestLog &)> log)
    : m_database(database), m_log(std::move(log))
{
}

QByteArray Dispatcher::errorResponse(int code, const QString &message)
{
    return errorText(QJsonValue::Null, code, message);
}

QByteArray Dispatcher::handle(const QString &object, const QByteArray &request) const
{
    QJsonValue document;
    QString unparsable;
    try {
        document = parseJson(request);
        // A document is a request object or a batch of them; a lone scalar is no document.
        if (!document.isObject() && !document.isArray())
            unparsable = QStringLiteral("the body is neither an object nor an array");
    } catch (const JsonError &error) {
        unparsable = QString::fromUtf8(error.what());
    }
    if (!unparsable.isEmpty()) {
        RequestLog entry{object, {}, 0, QStringLiteral("error %1").arg(ParseError)};
        if (m_log)
            m_log(entry);
        return errorResponse(ParseError, QStringLiteral("Parse error: ") + unparsable);
    }
    if (!document.isArray())
        return answer(object, document);
    const QJsonArray batch = document.toArray();
    if (batch.isEmpty())
        return answer(object, QJsonValue());
    // The replies in the order of the requests; notifications leave no trace in the array, and a
    // batch of nothing else is answered with nothing.
    QByteArray replies;
    for (const QJsonValue &element : batch) {
        const QByteArray reply = answer(object, element);
        if (reply.isEmpty())
            continue;
        replies.append(replies.isEmpty() ? '[' : ',');
        replies.append(reply);
    }
    if (!replies.isEmpty())
        replies.append(']');
    return replies;
}

QByteArray Dispatcher::answer(const QString &object, const QJsonValue &request) const
{
    QElapsedTimer timer;
    timer.start();
    RequestLog entry{object, {}, 0, {}};
    // A request without an id is a notification: it runs, and nothing is sent back, not even an
    // error about its method or arguments. A request too malformed to tell is answered anyway.
    bool notification = false;
    auto finish = [&](QByteArray response, const QString &outcome) {
        entry.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        entry.outcome = outcome;
        if (m_log)
            m_log(entry);
        return notification ? QByteArray() : response;
    };
    auto fail = [&](const QJsonValue &id, int code, const QString &message) {
        return finish(errorText(id, code, message), QStringLiteral("error %1").arg(code));
    };
    auto invalid = [&](const QJsonValue &id, const QString &message) {
        notification = false;
        return fail(id.isUndefined() ? QJsonValue(QJsonValue::Null) : id, InvalidRequest,
                    QStringLiteral("Invalid Request: ") + message);
    };

    if (!request.isObject())
        return invalid(QJsonValue::Null,
                       QStringLiteral("a request object or a non-empty array of them is expected"));
    const QJsonObject body = request.toObject();
    const QJsonValue id = body.value(QStringLiteral("id"));
    notification = id.isUndefined();
    if (!(id.isDouble() || id.isString() || id.isNull() || notification))
        return invalid(QJsonValue::Null,
                       QStringLiteral("\"id\" must be a number, a string or null"));
    if (body.value(QStringLiteral("jsonrpc")).toString() != QLatin1String("2.0"))
        return invalid(id, QStringLiteral("\"jsonrpc\" must be \"2.0\""));
    const QJsonValue method = body.value(QStringLiteral("method"));
    if (!method.isString())
        return invalid(id, QStringLiteral("\"method\" must be a string"));
    entry.method = method.toString();
    const QJsonValue params = body.value(QStringLiteral("params"));
    if (!params.isUndefined() && !params.isArray() && !params.isObject())
        return invalid(id, QStringLiteral("\"params\" must be an array"));

    if (!Methods::hasObject(object))
        return fail(id, MethodNotFound,
                    QStringLiteral("Method not found: unknown object \"%1\"").arg(object));
    const MethodSpec *spec = Methods::find(object, entry.method);
    if (!spec)
        return fail(
            id, MethodNotFound,
            QStringLiteral("Method not found: %1 has no method \"%2\"").arg(object, entry.method));
    // Every method takes its arguments in order, several of them by reference.
    if (params.isObject())
        return fail(id, InvalidParamsCode,
                    QStringLiteral("Invalid params: %1 takes its arguments by position, as an "
                                   "array, not by name")
                        .arg(entry.method));
    try {
        checkArguments(*spec, params.toArray());
        Call call(m_database, params.toArray());
        QByteArray data;
        try {
            data = spec->run(call);
        } catch (const DatabaseError &) {
            // The connection may be the broken part (a restarted PostgreSQL server); the next
            // request on this thread opens a fresh one.
            if (call.hasSession())
                call.session().discard();
            throw;
        }
        return finish(resultText(id, *spec, call.args,
                                 [&data](JsonWriter &reply) {
                                     reply.raw("\"data\":");
                                     reply.raw(data);
                                     reply.raw(",\"ok\":true");
                                 }),
                      QStringLiteral("ok"));
    } catch (const InvalidParams &e) {
        return fail(id, InvalidParamsCode,
                    QStringLiteral("Invalid params: ") + QString::fromStdString(e.what()));
    } catch (const BusinessFailure &e) {
        return finish(resultText(id, *spec, params.toArray(),
                                 [&e](JsonWriter &reply) {
                                     reply.raw("\"message\":");
                                     reply.string(e.userMessage());
                                     reply.raw(",\"ok\":false");
                                 }),
                      QStringLiteral("fail"));
    } catch (const std::exception &e) {
        // The driver's text may name tables and statements: it goes to the log, not the client.
        qWarning("%s.%s failed: %s", qPrintable(object), qPrintable(entry.method), e.what());
        return fail(id, InternalError,
                    QStringLiteral("Internal error: the server could not complete the request"));
    }
}

} // namespace ngc
