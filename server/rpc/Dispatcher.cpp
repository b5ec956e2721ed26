#include "Dispatcher.h"

#include "Methods.h"
#include <server/storage/RequestError.h>

#include <json/JsonScanner.h>
#include <json/JsonWriter.h>

#include <QElapsedTimer>
#include <QtGlobal>

#include <cmath>
#include <limits>

namespace ngc {

using namespace Qt::StringLiterals;

namespace {

void writeBack(JsonWriter &writer, const JsonSpan &value);

// An error response; keys in the order a QJsonObject keeps them, as in every response here. An
// absent id is written as null.
QByteArray errorText(const JsonSpan &id, int code, const QString &message)
{
    JsonWriter writer;
    writer.raw("{\"error\":{\"code\":");
    writer.integer(code);
    writer.raw(",\"message\":");
    writer.string(message);
    writer.raw("},\"id\":");
    if (id.isUndefined())
        writer.null();
    else
        writeBack(writer, id);
    writer.raw(",\"jsonrpc\":\"2.0\"}");
    return writer.take();
}

// A value of the request written back as it reads: a string without escapes as it came (its
// bytes are already what the writer would write for it), anything else from its value.
void writeBack(JsonWriter &writer, const JsonSpan &value)
{
    const QByteArray raw = value.rawJson();
    if (value.isString() && !raw.contains('\\'))
        writer.raw(raw);
    else
        writer.value(value.toJson());
}

// A result envelope written as text; keys in the order a QJsonObject keeps them, so the bytes
// are what Qt's document writer would give. `reply` writes the reply object's members.
template <typename Reply>
QByteArray resultText(const JsonSpan &id, const MethodSpec &spec, const QList<JsonSpan> &args,
                      Reply reply)
{
    JsonWriter writer;
    writer.raw("{\"id\":");
    writeBack(writer, id);
    writer.raw(",\"jsonrpc\":\"2.0\",\"result\":{\"refs\":[");
    // One entry per argument: the final value of a by-reference argument, null for the others.
    for (qsizetype i = 0; i < spec.args.size(); ++i) {
        if (i != 0)
            writer.raw(",");
        const ArgKind kind = spec.args[i].kind;
        if (kind == ArgKind::StringRef || kind == ArgKind::VariantRef)
            writeBack(writer, args.at(i));
        else
            writer.null();
    }
    writer.raw("],\"reply\":{");
    reply(writer);
    writer.raw("}}}");
    return writer.take();
}

bool isInt32(const JsonSpan &value)
{
    if (value.type() != QJsonValue::Double)
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

bool matches(const JsonSpan &value, ArgKind kind)
{
    switch (kind) {
    case ArgKind::StringValue:
    case ArgKind::StringRef:
        return value.isString();
    case ArgKind::VariantValue:
        return value.type() == QJsonValue::Null || value.isObject();
    case ArgKind::VariantRef:
        if (value.type() == QJsonValue::Null)
            return true;
        if (!value.isArray())
            return false;
        for (const JsonSpan &entry : value.elements()) {
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

void checkArguments(const MethodSpec &spec, const QList<JsonSpan> &params)
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
        const qsizetype length = arg.maxLength > 0 ? params[i].toString().size() : 0;
        if (length > arg.maxLength)
            throw InvalidParams(QStringLiteral("argument %1 (%2): %3 characters exceed the "
                                               "column size %4")
                                    .arg(i + 1)
                                    .arg(arg.name)
                                    .arg(length)
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
    return errorText(JsonSpan(), code, message);
}

QByteArray Dispatcher::handle(const QString &object, const QByteArray &request) const
{
    // The request is read in place: only its envelope and its arguments are looked at, and an
    // argument becomes a value of its own only where a method asks for one.
    const auto text =
        std::make_shared<const JsonScanner>(std::string(request.constData(), request.size()));
    const JsonSpan document = text->isValid() ? JsonSpan(text, text->root()) : JsonSpan();
    // A document is a request object or a batch of them; a lone scalar is no document.
    if (!document.isObject() && !document.isArray()) {
        RequestLog entry{object, {}, 0, QStringLiteral("error %1").arg(ParseError), false};
        if (m_log)
            m_log(entry);
        return errorResponse(ParseError,
                             QStringLiteral("Parse error: ") +
                                 (text->isValid()
                                      ? QStringLiteral("the body is neither an object nor an array")
                                      : QString::fromStdString(text->error())));
    }
    if (!document.isArray())
        return answer(object, document);
    const QList<JsonSpan> batch = document.elements();
    if (batch.isEmpty())
        return answer(object, JsonSpan());
    // The replies in the order of the requests; notifications leave no trace in the array, and a
    // batch of nothing else is answered with nothing.
    QByteArray replies;
    for (const JsonSpan &element : batch) {
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

QByteArray Dispatcher::answer(const QString &object, const JsonSpan &request) const
{
    QElapsedTimer timer;
    timer.start();
    RequestLog entry{object, {}, 0, {}, false};
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
    auto fail = [&](const JsonSpan &id, int code, const QString &message) {
        return finish(errorText(id, code, message), QStringLiteral("error %1").arg(code));
    };
    auto invalid = [&](const JsonSpan &id, const QString &message) {
        notification = false;
        return fail(id, InvalidRequest, QStringLiteral("Invalid Request: ") + message);
    };

    if (!request.isObject())
        return invalid(JsonSpan(),
                       QStringLiteral("a request object or a non-empty array of them is expected"));
    const JsonSpan id = request.member("id"_L1);
    notification = id.isUndefined();
    const QJsonValue::Type idType = id.type();
    if (!(idType == QJsonValue::Double || idType == QJsonValue::String ||
          idType == QJsonValue::Null || notification))
        return invalid(JsonSpan(), QStringLiteral("\"id\" must be a number, a string or null"));
    if (request.member("jsonrpc"_L1).toString() != QLatin1String("2.0"))
        return invalid(id, QStringLiteral("\"jsonrpc\" must be \"2.0\""));
    const JsonSpan method = request.member("method"_L1);
    if (!method.isString())
        return invalid(id, QStringLiteral("\"method\" must be a string"));
    entry.method = method.toString();
    const JsonSpan params = request.member("params"_L1);
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
    const QList<JsonSpan> arguments = params.elements();
    try {
        checkArguments(*spec, arguments);
        Call call(m_database, arguments);
        QByteArray data;
        try {
            data = spec->run(call);
        } catch (const DatabaseError &) {
            // The connection may be the broken part (a restarted PostgreSQL server); the next
            // request on this thread opens a fresh one.
            if (call.hasSession())
                call.session().discard();
            entry.databaseError = true;
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
        return finish(resultText(id, *spec, arguments,
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
