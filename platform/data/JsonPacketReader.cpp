#include "ColumnCache.h"
#include "PacketCodec.h"
#include "JsonText.h"

#include <QJsonDocument>

#include <charconv>
#include <cmath>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace ngc::detail {

namespace {

using namespace Qt::StringLiterals;

// The field lists read last on this thread, by their text: a client reads the same few layouts
// over and over, and checking one costs more than reading a row of it. Only lists that passed the
// checks are kept, so a kept one needs none; and since a list is one self-contained JSON array,
// text that starts with a kept list's bytes holds exactly that list, which spares even scanning it.
class KnownFieldLists {
public:
    // The kept list whose text `rest` starts with, and that text's length.
    static const QList<FieldDef> *startOf(std::string_view rest, size_t &length)
    {
        for (const Known &entry : known()) {
            if (rest.substr(0, entry.text.size()) == entry.text) {
                length = entry.text.size();
                return &entry.fields;
            }
        }
        return nullptr;
    }

    // Checks and keeps the list written as `text`, a JSON array already scanned.
    static QList<FieldDef> read(std::string_view text)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
        if (error.error != QJsonParseError::NoError)
            fail(u"invalid JSON in \"fields\": %1"_s.arg(error.errorString()));
        QList<FieldDef> fields = decodeFields(document.array());
        std::vector<Known> &kept = known();
        if (kept.size() >= kKept)
            kept.clear();
        kept.push_back(Known{std::string(text), fields});
        return fields;
    }

private:
    struct Known {
        std::string text;
        QList<FieldDef> fields;
    };
    static constexpr size_t kKept = 32;
    static std::vector<Known> &known()
    {
        thread_local std::vector<Known> kept;
        return kept;
    }
};

// Reads a data packet straight from JSON text into rows: no document is built, and values that
// repeat in a column are decoded once. It checks the JSON syntax as strictly as a document parser
// would (UTF-8, escapes, number grammar, nothing after the object) and the packet as decodePacket
// does, with the same messages.
class PacketReader {
public:
    explicit PacketReader(const QByteArray &json)
        : m_begin(json.constData()), m_pos(m_begin), m_end(m_begin + json.size())
    {
    }

    DataPacket read();

private:
    // Values of a string or date-time column already decoded, keyed by their raw JSON bytes, so a
    // repeated value costs a comparison instead of a conversion and an allocation.
    using ColumnCache = detail::ColumnCache<std::string>;

    // A scanned string: its raw bytes between the quotes and whether they hold escapes or bytes
    // beyond ASCII (which need decoding rather than a plain copy).
    struct RawString {
        std::string_view raw;
        bool escaped = false;
        bool ascii = true;
    };

    static constexpr int kMaxDepth = 512;

    [[noreturn]] void syntaxError(const char *what) const
    {
        fail(u"invalid JSON at offset %1: %2"_s.arg(QString::number(m_pos - m_begin),
                                                    QLatin1StringView(what)));
    }
    void skipSpace()
    {
        while (m_pos < m_end &&
               (*m_pos == ' ' || *m_pos == '\n' || *m_pos == '\r' || *m_pos == '\t'))
            ++m_pos;
    }
    // A NUL byte is no end: only the end of the text is.
    bool atEnd()
    {
        skipSpace();
        return m_pos == m_end;
    }
    char peek()
    {
        skipSpace();
        return m_pos < m_end ? *m_pos : '\0';
    }
    void expect(char c, const char *what)
    {
        if (peek() != c)
            syntaxError(what);
        ++m_pos;
    }
    QJsonValue::Type kindAhead()
    {
        switch (peek()) {
        case '"':
            return QJsonValue::String;
        case '{':
            return QJsonValue::Object;
        case '[':
            return QJsonValue::Array;
        case 't':
        case 'f':
            return QJsonValue::Bool;
        case 'n':
            return QJsonValue::Null;
        case '-':
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9':
            return QJsonValue::Double;
        default:
            syntaxError("value expected");
        }
    }

    void literal(std::string_view word)
    {
        if (static_cast<size_t>(m_end - m_pos) < word.size() ||
            std::string_view(m_pos, word.size()) != word)
            syntaxError("invalid literal");
        m_pos += word.size();
    }
    RawString scanString();
    QString decodeString(const RawString &string) const;
    std::string_view scanNumber(bool &integral);
    void skipValue(int depth);
    std::string_view valueSpan();

    QVariant readValue(const FieldDef &def, ColumnCache &cache, qsizetype row);
    [[noreturn]] void wrongKind(const FieldDef &def, qsizetype row, QJsonValue::Type kind,
                                const char *expected) const
    {
        fail(u"row %1, field %2: %3 where %4 was expected"_s.arg(
            QString::number(row + 1), def.name, kindOf(kind), QLatin1StringView(expected)));
    }
    void readRows(DataPacket &packet);

    const char *m_begin;
    const char *m_pos;
    const char *m_end;
};

PacketReader::RawString PacketReader::scanString()
{
    // At the opening quote.
    ++m_pos;
    RawString string;
    const char *start = m_pos;
    while (true) {
        if (m_pos >= m_end)
            syntaxError("unterminated string");
        const auto c = static_cast<unsigned char>(*m_pos);
        if (c == '"')
            break;
        if (c < 0x20)
            syntaxError("control character in string");
        if (c == '\\') {
            string.escaped = true;
            if (m_pos + 1 >= m_end) {
                ++m_pos;
                syntaxError("unterminated string");
            }
            const int length = jsonEscapeLength(m_pos, m_end);
            if (length == 0) {
                ++m_pos;
                syntaxError("invalid escape");
            }
            m_pos += length;
            continue;
        }
        if (c < 0x80) {
            ++m_pos;
            continue;
        }
        string.ascii = false;
        const int length = utf8SequenceLength(m_pos, m_end);
        if (length == 0)
            syntaxError("invalid UTF-8 in string");
        m_pos += length;
    }
    string.raw = std::string_view(start, static_cast<size_t>(m_pos - start));
    ++m_pos;
    return string;
}

QString PacketReader::decodeString(const RawString &string) const
{
    if (!string.escaped) {
        return string.ascii ? QString::fromLatin1(string.raw.data(),
                                                  static_cast<qsizetype>(string.raw.size()))
                            : QString::fromUtf8(string.raw.data(),
                                                static_cast<qsizetype>(string.raw.size()));
    }
    // Escapes were checked by scanString; what is left is resolving them and pairing surrogates.
    QString text;
    text.reserve(static_cast<qsizetype>(string.raw.size()));
    const char *p = string.raw.data();
    const char *end = p + string.raw.size();
    auto hex4 = [](const char *digits) {
        unsigned value = 0;
        std::from_chars(digits, digits + 4, value, 16);
        return static_cast<char16_t>(value);
    };
    while (p < end) {
        if (*p != '\\') {
            const char *run = p;
            while (p < end && *p != '\\')
                ++p;
            text += QString::fromUtf8(run, static_cast<qsizetype>(p - run));
            continue;
        }
        ++p;
        switch (*p) {
        case 'b':
            text += u'\b';
            break;
        case 'f':
            text += u'\f';
            break;
        case 'n':
            text += u'\n';
            break;
        case 'r':
            text += u'\r';
            break;
        case 't':
            text += u'\t';
            break;
        case 'u': {
            const char16_t unit = hex4(p + 1);
            p += 4;
            if (QChar::isHighSurrogate(unit)) {
                if (end - p < 7 || p[1] != '\\' || p[2] != 'u' ||
                    !QChar::isLowSurrogate(hex4(p + 3)))
                    fail(u"invalid JSON: unpaired surrogate in string"_s);
                text += QChar(unit);
                text += QChar(hex4(p + 3));
                p += 6;
            } else if (QChar::isLowSurrogate(unit)) {
                fail(u"invalid JSON: unpaired surrogate in string"_s);
            } else {
                text += QChar(unit);
            }
            break;
        }
        default: // '"', '\\', '/'
            text += QLatin1Char(*p);
            break;
        }
        ++p;
    }
    return text;
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
std::string_view PacketReader::scanNumber(bool &integral)
{
    const char *start = m_pos;
    auto digitsAhead = [this]() {
        const char *from = m_pos;
        while (m_pos < m_end && *m_pos >= '0' && *m_pos <= '9')
            ++m_pos;
        return m_pos - from;
    };
    integral = true;
    if (m_pos < m_end && *m_pos == '-')
        ++m_pos;
    if (m_pos < m_end && *m_pos == '0')
        ++m_pos;
    else if (digitsAhead() == 0)
        syntaxError("invalid number");
    if (m_pos < m_end && *m_pos == '.') {
        ++m_pos;
        integral = false;
        if (digitsAhead() == 0)
            syntaxError("invalid number");
    }
    if (m_pos < m_end && (*m_pos == 'e' || *m_pos == 'E')) {
        ++m_pos;
        integral = false;
        if (m_pos < m_end && (*m_pos == '+' || *m_pos == '-'))
            ++m_pos;
        if (digitsAhead() == 0)
            syntaxError("invalid number");
    }
    return std::string_view(start, static_cast<size_t>(m_pos - start));
}

void PacketReader::skipValue(int depth)
{
    if (depth > kMaxDepth)
        syntaxError("too deeply nested");
    switch (kindAhead()) {
    case QJsonValue::String:
        scanString();
        return;
    case QJsonValue::Double: {
        bool integral = false;
        scanNumber(integral);
        return;
    }
    case QJsonValue::Bool:
        literal(*m_pos == 't' ? "true" : "false");
        return;
    case QJsonValue::Null:
        literal("null");
        return;
    case QJsonValue::Array:
        ++m_pos;
        if (peek() == ']') {
            ++m_pos;
            return;
        }
        do {
            skipValue(depth + 1);
        } while (peek() == ',' && ++m_pos);
        expect(']', "',' or ']' expected");
        return;
    case QJsonValue::Object:
        ++m_pos;
        if (peek() == '}') {
            ++m_pos;
            return;
        }
        do {
            if (peek() != '"')
                syntaxError("member name expected");
            scanString();
            expect(':', "':' expected");
            skipValue(depth + 1);
        } while (peek() == ',' && ++m_pos);
        expect('}', "',' or '}' expected");
        return;
    case QJsonValue::Undefined:
        break;
    }
    syntaxError("value expected");
}

std::string_view PacketReader::valueSpan()
{
    skipSpace();
    const char *start = m_pos;
    skipValue(1);
    return std::string_view(start, static_cast<size_t>(m_pos - start));
}

QVariant PacketReader::readValue(const FieldDef &def, ColumnCache &cache, qsizetype row)
{
    const QJsonValue::Type kind = kindAhead();
    if (kind == QJsonValue::Null) {
        literal("null");
        return {};
    }
    switch (def.type) {
    case FieldType::String:
    case FieldType::DateTime: {
        if (kind != QJsonValue::String)
            wrongKind(def, row, kind, def.type == FieldType::String ? "a string" : "a date-time");
        const RawString string = scanString();
        if (string.raw.empty())
            return {};
        // The first row has no earlier value to share; a packet of one row (an item, a
        // parameter set) then builds no table at all.
        const bool shared = row > 0;
        const size_t hash = shared ? columnHash(string.raw) : 0;
        if (shared) {
            if (const QVariant *known = cache.find(string.raw, hash))
                return *known;
        }
        const QString text = decodeString(string);
        QVariant value;
        if (def.type == FieldType::String) {
            if (text.size() > effectiveSize(def))
                fail(u"row %1, field %2: string of %3 characters exceeds size %4"_s.arg(
                    QString::number(row + 1), def.name, QString::number(text.size()),
                    QString::number(effectiveSize(def))));
            value = text.isEmpty() ? QVariant() : QVariant(text);
        } else {
            const QDateTime dateTime = parseDateTime(text);
            if (!dateTime.isValid())
                fail(u"row %1, field %2: \"%3\" is not a date-time yyyy-MM-ddTHH:mm:ss[.zzz]"_s.arg(
                    QString::number(row + 1), def.name, text.left(40)));
            value = QVariant(dateTime);
        }
        if (shared)
            cache.insert(string.raw, hash, value, def.type == FieldType::DateTime);
        return value;
    }
    case FieldType::Float:
    case FieldType::Integer: {
        if (kind != QJsonValue::Double)
            wrongKind(def, row, kind, def.type == FieldType::Float ? "a number" : "an integer");
        bool integral = false;
        const std::string_view text = scanNumber(integral);
        const char *first = text.data();
        const char *last = first + text.size();
        if (def.type == FieldType::Integer && integral) {
            qint64 number = 0;
            if (std::from_chars(first, last, number).ec == std::errc())
                return QVariant(number);
        }
        double number = 0;
        if (std::from_chars(first, last, number).ec != std::errc() || !std::isfinite(number))
            fail(u"row %1, field %2: number %3 out of range"_s.arg(
                QString::number(row + 1), def.name,
                QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).left(40)));
        if (def.type == FieldType::Float)
            return QVariant(number);
        // A whole number written with a fraction or an exponent is still an integer.
        if (number != std::floor(number) || std::fabs(number) >= 9223372036854775808.0)
            fail(u"row %1, field %2: %3 is not an integer"_s.arg(QString::number(row + 1), def.name,
                                                                 QString::number(number, 'g', 17)));
        return QVariant(static_cast<qint64>(number));
    }
    case FieldType::Boolean:
        if (kind != QJsonValue::Bool)
            wrongKind(def, row, kind, "a boolean");
        if (*m_pos == 't') {
            literal("true");
            return QVariant(true);
        }
        literal("false");
        return QVariant(false);
    }
    return {};
}

void PacketReader::readRows(DataPacket &packet)
{
    const qsizetype width = packet.fields.size();
    std::vector<ColumnCache> caches(static_cast<size_t>(width));
    expect('[', "\"rows\" is not an array");
    if (peek() == ']') {
        ++m_pos;
        return;
    }
    qsizetype index = 0;
    do {
        const QJsonValue::Type kind = kindAhead();
        if (kind != QJsonValue::Array)
            fail(u"row %1: %2, not an array"_s.arg(QString::number(index + 1), kindOf(kind)));
        ++m_pos;
        Row row;
        row.reserve(width);
        qsizetype count = 0;
        if (peek() != ']') {
            do {
                if (count < width) {
                    row.append(
                        readValue(packet.fields[count], caches[static_cast<size_t>(count)], index));
                } else {
                    skipValue(2);
                }
                ++count;
            } while (peek() == ',' && ++m_pos);
        }
        expect(']', "',' or ']' expected");
        if (count != width)
            fail(u"row %1: %2 values for %3 fields"_s.arg(
                QString::number(index + 1), QString::number(count), QString::number(width)));
        packet.rows.append(std::move(row));
        ++index;
    } while (peek() == ',' && ++m_pos);
    expect(']', "',' or ']' expected");
}

DataPacket PacketReader::read()
{
    if (kindAhead() != QJsonValue::Object) {
        const QJsonValue::Type kind = kindAhead();
        skipValue(1);
        if (!atEnd())
            syntaxError("garbage at the end of the document");
        fail(u"packet is %1, not an object"_s.arg(kindOf(kind)));
    }
    ++m_pos;
    DataPacket packet;
    bool haveFields = false;
    const char *rowsAt = nullptr;
    QJsonValue::Type rowsKind = QJsonValue::Undefined;
    bool rowsRead = false;
    // What reading the rows in place found wrong: reported only after the rest of the document,
    // as when the rows are read last, so the same text always fails with the same message.
    std::exception_ptr rowsFailure;
    if (peek() != '}') {
        do {
            if (peek() != '"')
                syntaxError("member name expected");
            const RawString key = scanString();
            expect(':', "':' expected");
            const QString name = decodeString(key);
            if ((name == u"fields"_s && haveFields) || (name == u"rows"_s && rowsAt))
                fail(u"duplicate \"%1\""_s.arg(name));
            if (name == u"fields"_s) {
                // The field list is short: a document parser reads it, and decodeFields checks it
                // as it does for every packet.
                const QJsonValue::Type kind = kindAhead();
                size_t length = 0;
                if (const QList<FieldDef> *known = KnownFieldLists::startOf(
                        std::string_view(m_pos, static_cast<size_t>(m_end - m_pos)), length)) {
                    packet.fields = *known;
                    m_pos += length;
                } else {
                    const std::string_view span = valueSpan();
                    if (kind != QJsonValue::Array)
                        fail(u"\"fields\" is %1, not an array"_s.arg(kindOf(kind)));
                    packet.fields = KnownFieldLists::read(span);
                }
                haveFields = true;
            } else if (name == u"rows"_s) {
                // Rows are read once the fields are known; JSON does not fix the member order.
                // Packets written here put the fields first, and their rows are read in place.
                rowsKind = kindAhead();
                skipSpace();
                rowsAt = m_pos;
                if (haveFields && rowsKind == QJsonValue::Array) {
                    try {
                        readRows(packet);
                        rowsRead = true;
                    } catch (const PacketError &) {
                        rowsFailure = std::current_exception();
                        packet.rows.clear();
                        m_pos = rowsAt;
                        skipValue(1);
                    }
                } else {
                    skipValue(1);
                }
            } else {
                skipValue(1);
            }
        } while (peek() == ',' && ++m_pos);
    }
    expect('}', "',' or '}' expected");
    if (!atEnd())
        syntaxError("garbage at the end of the document");
    if (!haveFields)
        fail(u"missing \"fields\""_s);
    if (!rowsAt)
        fail(u"missing \"rows\""_s);
    if (rowsKind != QJsonValue::Array)
        fail(u"\"rows\" is %1, not an array"_s.arg(kindOf(rowsKind)));
    if (rowsFailure)
        std::rethrow_exception(rowsFailure);
    if (!rowsRead) {
        m_pos = rowsAt;
        readRows(packet);
    }
    return packet;
}

} // namespace

DataPacket readPacketJson(const QByteArray &json)
{
    return PacketReader(json).read();
}

} // namespace ngc::detail
