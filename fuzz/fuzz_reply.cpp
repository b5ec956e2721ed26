// Feeds arbitrary bytes to the scanner the connection reads replies with. Whatever it accepts, Qt's
// JSON document parser must accept too, and every part of it read in place (kinds, members found
// by name, elements by index, strings, truth values) must be what the parsed document holds.

#include <json/JsonScanner.h>
#include <json/JsonSpan.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Walks the value read in place beside the parsed one, down to a bounded depth.
void compare(const ngc::JsonSpan &span, const QJsonValue &value, int depth)
{
    check(span.type() == value.type());
    if (depth > 16)
        return;
    switch (value.type()) {
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QString key = it.key();
            // Members are looked up by Latin-1 names: the envelope's names are plain ASCII.
            bool latin1 = true;
            for (const QChar c : key)
                latin1 = latin1 && c.unicode() < 0x100;
            if (!latin1)
                continue;
            const QByteArray name = key.toLatin1();
            const ngc::JsonSpan member = span.member(QLatin1StringView(name));
            compare(member, it.value(), depth + 1);
        }
        break;
    }
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        check(span.size() == array.size());
        const QList<ngc::JsonSpan> elements = span.elements();
        check(elements.size() == array.size());
        for (qsizetype i = 0; i < array.size(); ++i) {
            compare(span.at(i), array.at(i), depth + 1);
            check(elements[i].type() == array.at(i).type());
        }
        break;
    }
    case QJsonValue::String:
        check(span.toString() == value.toString());
        break;
    case QJsonValue::Bool:
        check(span.toBool() == value.toBool());
        break;
    default:
        check(span.toJson() == value);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    const auto scanner = std::make_shared<const ngc::JsonScanner>(text);
    if (!scanner->isValid())
        return 0;
    // Qt's parser drops a byte-order mark that starts a string, where the scanner keeps the
    // character; such texts are not compared.
    if (text.find("\"\xEF\xBB\xBF") != std::string::npos)
        return 0;
    // A document must be an object or an array; a scalar is read as the only element of one (a
    // container is not wrapped: that would take it one level deeper than the scanner read it).
    const std::string_view root = scanner->bytes(scanner->root());
    const bool container = root.front() == '{' || root.front() == '[';
    QByteArray bytes(text.data(), static_cast<qsizetype>(size));
    if (!container)
        bytes = "[" + bytes + "]";
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    check(error.error == QJsonParseError::NoError);
    QJsonValue value;
    if (document.isObject())
        value = document.object();
    else if (container)
        value = document.array();
    else
        value = document.array().at(0);
    compare(ngc::JsonSpan(scanner, scanner->root()), value, 0);
    return 0;
}
