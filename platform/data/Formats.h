#pragma once

#include <QLocale>
#include <QString>

namespace ngc {

// Float formatting in the picture notation the layouts use: "0" a digit always shown, "#" a digit
// shown when significant, "," (anywhere before the decimal point) thousands grouping, "." the
// decimal point; any other character is copied as it stands, so "##0.00%" appends a percent sign
// without scaling. Text in quotes is literal. A second section after ";" formats negative values
// (without a sign of its own), a third one zero. Separators come from the locale. The value is
// rounded half away from zero on its shortest decimal form, so 1.005 with two decimals is 1.01.
QString FormatFloat(const QString &picture, double value, const QLocale &locale = QLocale());

// General format: at most 15 significant digits, no thousands separators, no trailing zeros
// (999 -> "999", 1000 -> "1000", 12.5 -> "12.5", or "12,5" in a locale with a decimal comma).
// Very large or very small magnitudes use an exponent ("1E20", "1E-7").
QString FloatToText(double value, const QLocale &locale = QLocale());

// Reads a number typed by a user: the locale's decimal separator, optional thousands separators,
// surrounding blanks. Returns false (and leaves value alone) for anything else.
bool TextToFloat(const QString &text, double &value, const QLocale &locale = QLocale());

} // namespace ngc
