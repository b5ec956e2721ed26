#include "Formats.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace ngc {

namespace {

using namespace Qt::StringLiterals;

// A finite non-negative value as decimal digits d1 d2 ... dn with the decimal point after
// `pointPos` digits (pointPos may be negative or beyond n: 0.05 is "5" with pointPos -1).
struct Decimal {
    std::string digits;
    int pointPos = 0;
};

Decimal toDecimal(double value)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    const std::string text(buffer.data(), result.ptr);
    const auto e = text.find('e');
    Decimal decimal;
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            decimal.digits += text[i];
    }
    decimal.pointPos = std::stoi(text.substr(e + 1)) + 1;
    return decimal;
}

// Keeps `count` digits after the point, rounding half away from zero (the value is unsigned
// here). May add a leading digit (9.995 -> 10.00).
void roundToDecimals(Decimal &decimal, int count)
{
    const int keep = decimal.pointPos + count;
    if (keep < 0) {
        decimal.digits.clear();
        return;
    }
    if (static_cast<size_t>(keep) >= decimal.digits.size())
        return;
    const bool up = decimal.digits[static_cast<size_t>(keep)] >= '5';
    decimal.digits.resize(static_cast<size_t>(keep));
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && decimal.digits[static_cast<size_t>(i)] == '9') {
        decimal.digits[static_cast<size_t>(i)] = '0';
        --i;
    }
    if (i >= 0) {
        ++decimal.digits[static_cast<size_t>(i)];
    } else {
        decimal.digits.insert(decimal.digits.begin(), '1');
        ++decimal.pointPos;
    }
}

void roundToSignificant(Decimal &decimal, int count)
{
    roundToDecimals(decimal, count - decimal.pointPos);
}

// The digit at position `index` counted from the point (0 the units, -1 the first decimal).
char digitAt(const Decimal &decimal, int index)
{
    const int position = decimal.pointPos - 1 - index;
    if (position < 0 || position >= static_cast<int>(decimal.digits.size()))
        return '0';
    return decimal.digits[static_cast<size_t>(position)];
}

bool isZero(const Decimal &decimal)
{
    return decimal.digits.find_first_not_of('0') == std::string::npos;
}

struct Picture {
    QString prefix;
    QString suffix;
    int minInteger = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool hasPoint = false;
    bool hasDigits = false;
};

Picture parsePicture(const QString &section)
{
    Picture picture;
    bool inDigits = false;
    bool afterDigits = false;
    QChar quote;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (afterDigits || inDigits ? picture.suffix : picture.prefix) += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            if (inDigits) {
                inDigits = false;
                afterDigits = true;
            }
            continue;
        }
        const bool placeholder = c == u'0' || c == u'#';
        const bool structural = placeholder || c == u',' || c == u'.';
        if (structural && !afterDigits) {
            inDigits = true;
            picture.hasDigits = picture.hasDigits || placeholder;
            if (c == u'.') {
                picture.hasPoint = true;
            } else if (c == u',') {
                if (!picture.hasPoint)
                    picture.grouping = true;
            } else if (picture.hasPoint) {
                ++picture.maxDecimals;
                if (c == u'0')
                    picture.minDecimals = picture.maxDecimals;
            } else if (c == u'0' || picture.minInteger > 0) {
                ++picture.minInteger;
            }
            continue;
        }
        if (inDigits) {
            inDigits = false;
            afterDigits = true;
        }
        (afterDigits ? picture.suffix : picture.prefix) += c;
    }
    return picture;
}

QString applyPicture(const Picture &picture, const Decimal &rounded, const QLocale &locale)
{
    // A section of text alone ("zero") shows just that.
    if (!picture.hasDigits)
        return picture.prefix + picture.suffix;
    QString integer;
    const int integerDigits = std::max(rounded.pointPos, 0);
    const int shownInteger = std::max(integerDigits, picture.minInteger);
    const QString group = locale.groupSeparator();
    for (int index = shownInteger - 1; index >= 0; --index) {
        integer += QLatin1Char(digitAt(rounded, index));
        if (picture.grouping && index > 0 && index % 3 == 0)
            integer += group;
    }
    QString decimals;
    for (int index = 1; index <= picture.maxDecimals; ++index)
        decimals += QLatin1Char(digitAt(rounded, -index));
    while (decimals.size() > picture.minDecimals && decimals.endsWith(u'0'))
        decimals.chop(1);
    QString text = picture.prefix + integer;
    if (!decimals.isEmpty())
        text += locale.decimalPoint() + decimals;
    return text + picture.suffix;
}

} // namespace

QString FormatFloat(const QString &picture, double value, const QLocale &locale)
{
    if (!std::isfinite(value))
        return FloatToText(value, locale);
    const QStringList sections = picture.split(u';');
    const bool negative = std::signbit(value) && value != 0;
    Decimal decimal = toDecimal(std::fabs(value));
    const Picture positive = parsePicture(sections.value(0));
    if (picture.trimmed().isEmpty())
        return FloatToText(value, locale);

    Picture chosen = positive;
    bool useNegativeSection = negative && sections.size() > 1 && !sections[1].isEmpty();
    if (useNegativeSection)
        chosen = parsePicture(sections[1]);
    roundToDecimals(decimal, chosen.maxDecimals);
    // A value that rounds to zero is zero: no "-0.00".
    if (isZero(decimal)) {
        if (sections.size() > 2 && !sections[2].isEmpty())
            return applyPicture(parsePicture(sections[2]), decimal, locale);
        return applyPicture(positive, decimal, locale);
    }
    const QString text = applyPicture(chosen, decimal, locale);
    if (negative && !useNegativeSection)
        return locale.negativeSign() + text;
    return text;
}

QString FloatToText(double value, const QLocale &locale)
{
    if (std::isnan(value))
        return u"NAN"_s;
    if (std::isinf(value))
        return value > 0 ? u"INF"_s : u"-INF"_s;
    if (value == 0)
        return u"0"_s;
    constexpr int precision = 15;
    Decimal decimal = toDecimal(std::fabs(value));
    roundToSignificant(decimal, precision);
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    const QString sign = value < 0 ? locale.negativeSign() : QString();
    const QString point = locale.decimalPoint();
    const int count = static_cast<int>(decimal.digits.size());
    // Scientific form once the integer part needs more digits than the precision holds, or the
    // value is below 0.00001.
    if (decimal.pointPos > precision || decimal.pointPos < -4) {
        QString mantissa(QLatin1Char(decimal.digits[0]));
        if (count > 1)
            mantissa += point + QString::fromLatin1(decimal.digits.substr(1));
        return sign + mantissa + u'E' + QString::number(decimal.pointPos - 1);
    }
    QString text;
    if (decimal.pointPos <= 0) {
        text = u"0"_s + point + QString(-decimal.pointPos, u'0')
               + QString::fromLatin1(decimal.digits);
    } else if (decimal.pointPos >= count) {
        text = QString::fromLatin1(decimal.digits) + QString(decimal.pointPos - count, u'0');
    } else {
        text = QString::fromLatin1(decimal.digits.substr(0, static_cast<size_t>(decimal.pointPos)))
               + point
               + QString::fromLatin1(decimal.digits.substr(static_cast<size_t>(decimal.pointPos)));
    }
    return sign + text;
}

bool TextToFloat(const QString &text, double &value, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    const double parsed = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

} // namespace ngc
