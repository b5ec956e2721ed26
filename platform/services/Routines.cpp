#include <services/Routines.h>

#include <services/HostContext.h>

#include <data/Formats.h>
#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <QLocale>
#include <QWidget>

#include <algorithm>

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ngc {

bool EmptyString(const QString &text)
{
    return text.trimmed().isEmpty();
}

QString Ajusta(const QString &text, int width)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        return code;
    for (const QChar c : code) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return code;
    }
    if (code.size() < width)
        return QString(width - code.size(), QLatin1Char('0')) + code;
    qsizetype zeros = 0;
    while (code.size() - zeros > width && code.at(zeros) == QLatin1Char('0'))
        ++zeros;
    return code.mid(zeros);
}

double RoundDec(double value, int decimals)
{
    if (!std::isfinite(value) || value == 0.0)
        return value;

    // The shortest scientific form "d.ddde+XX" is the decimal number the user sees; rounding its
    // digits avoids the binary representation error (1.005 is stored as 1.00499999...).
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific);
    const std::string text(buffer, written.ptr);
    const auto ePos = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i) {
        if (text[i] != '.')
            digits += text[i];
    }
    int exponent = std::stoi(text.substr(ePos + 1));

    // value = 0.digits x 10^(exponent + 1); keep the digits up to the wanted decimal place.
    const long long keep = static_cast<long long>(exponent) + 1 + decimals;
    if (keep >= static_cast<long long>(digits.size()))
        return value;
    if (keep < 0)
        return 0.0;

    const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = static_cast<int>(keep) - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<std::size_t>(i)] == '9') {
                digits[static_cast<std::size_t>(i)] = '0';
            } else {
                ++digits[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            ++exponent;
        }
    }
    if (digits.empty())
        return 0.0;

    const std::string rounded = "0." + digits + "e" + std::to_string(exponent + 1);
    double result = 0.0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    return value < 0 ? -result : result;
}

void MaxNumber(const QString &text, int intDigits, int decDigits, QChar &key, int selStart,
               int selLength)
{
    if (key.isNull() || key.unicode() < 0x20 || key.unicode() == 0x7f)
        return;
    const QString separator = QLocale().decimalPoint();
    const bool isSeparator = QString(key) == separator;
    if (!isSeparator && !key.isDigit())
        return;

    const qsizetype start = std::clamp<qsizetype>(selStart, 0, text.size());
    const qsizetype length = std::clamp<qsizetype>(selLength, 0, text.size() - start);
    const QString result = text.left(start) + key + text.mid(start + length);

    const qsizetype point = result.indexOf(separator);
    if (point >= 0 && (decDigits <= 0 || result.indexOf(separator, point + 1) >= 0)) {
        key = QChar();
        return;
    }
    const auto countDigits = [](QStringView part) {
        int count = 0;
        for (const QChar c : part)
            count += c.isDigit() ? 1 : 0;
        return count;
    };
    const QStringView whole(result);
    const int integerDigits = countDigits(point < 0 ? whole : whole.left(point));
    const int decimalDigits = point < 0 ? 0 : countDigits(whole.mid(point + separator.size()));
    if (integerDigits > intDigits || decimalDigits > decDigits)
        key = QChar();
}

QString NomeSemana(const QDate &date)
{
    if (!date.isValid())
        return {};
    static const char16_t *const names[] = {u"Segunda", u"Terça",  u"Quarta", u"Quinta",
                                            u"Sexta",   u"Sábado", u"Domingo"};
    return QString::fromUtf16(names[date.dayOfWeek() - 1]);
}

QString PictPess(const QString &personType)
{
    const QString type = personType.trimmed().toUpper();
    if (type == QLatin1String("J"))
        return QStringLiteral("99.999.999/9999-99;0;_");
    if (type == QLatin1String("F"))
        return QStringLiteral("999.999.999-99;0;_");
    return {};
}

void Seta_Campo_Null(TClientDataSet &dataSet)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        TField &field = dataSet.Fields(i);
        if (field.IsNull())
            continue;
        const QVariant value = field.Value();
        if (value.typeId() == QMetaType::QString && EmptyString(value.toString()))
            field.Clear();
    }
}

namespace {

const char *const displayOnly = "ngcDisplayOnly";

} // namespace

void SetChildEnabled(QWidget *container, bool enabled)
{
    if (!container)
        return;
    container->setEnabled(enabled);
    const auto children = container->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->setEnabled(enabled && !child->property(displayOnly).toBool());
}

void SetDisplayOnly(QWidget *control)
{
    control->setProperty(displayOnly, true);
    control->setEnabled(false);
}

QString DBPict(int kind)
{
    return kind == 0 ? HostContext::instance().productPicture : QString();
}

QString WebURL()
{
    const HostContext &context = HostContext::instance();
    return context.serverTls ? QStringLiteral("https://") + context.serverHost : context.serverHost;
}

int WebPort()
{
    return HostContext::instance().serverPort;
}

int ModuloAtiv()
{
    return HostContext::instance().moduleCode;
}

double StrToFloat(const QString &text)
{
    double value = 0.0;
    if (!TextToFloat(text, value)) {
        throw std::runtime_error(
            QStringLiteral("'%1' não é um número válido.").arg(text).toStdString());
    }
    return value;
}

} // namespace ngc
