#pragma once

// FormatMaskText, which lays raw text into an edit mask, belongs to the edit-mask support; the
// routines offer it with the others.
#include <data/EditMask.h>

#include <QChar>
#include <QDate>
#include <QString>

class QWidget;

namespace ngc {

class TClientDataSet;

// True for an empty text or one made only of blanks.
bool EmptyString(const QString &text);

// A code brought to the width it is stored with: a code of digits shorter than width gets zeros
// on the left ("7" -> "07"), and leading zeros beyond the width are dropped ("007" -> "07").
// Surrounding blanks are removed. A code that has more significant digits than the width, or that
// is not made of digits, is returned as it is (trimmed) rather than cut into another code; an
// empty text stays empty.
QString Ajusta(const QString &text, int width);

// Rounds half away from zero on the value as it is written in decimal (its shortest
// representation), so 1.005 gives 1.01 although the double is slightly below 1.005. Negative
// decimals round to tens, hundreds, ... NaN and infinities come back unchanged.
double RoundDec(double value, int decimals);

// Key filter for numeric edits: refuses (sets key to QChar()) a key that would give text more
// than intDigits integer digits or decDigits decimal digits once it replaces the selection
// [selStart, selStart + selLength), and a decimal separator (the default locale's) where there
// may be none or where there already is one. Control keys (backspace, ...) and a null key pass.
void MaxNumber(const QString &text, int intDigits, int decDigits, QChar &key, int selStart,
               int selLength);

// The Portuguese week-day name of the date ("Domingo" ... "Sábado"); empty for an invalid date.
QString NomeSemana(const QDate &date);

// The edit mask for a registration number of a person type: "J" company, "F" person; any other
// type has no mask (empty).
QString PictPess(const QString &personType);

// Turns every field of the current record that holds an empty value (an empty or blank text)
// into null; fields with values keep them. The dataset must be in edit or insert state when a
// field has to change.
void Seta_Campo_Null(TClientDataSet &dataSet);

// Enables or disables a container and every control inside it, except the display-only ones,
// which stay disabled.
void SetChildEnabled(QWidget *container, bool enabled);
// Marks a control as display-only (a name or a week day shown beside a code or a date): disabled
// now, and left disabled when its container is enabled.
void SetDisplayOnly(QWidget *control);

// The host's edit mask for a kind of picture; kind 0 is the product code. Empty: no mask.
QString DBPict(int kind);

// Where the application server is reached and which module the user works in, asked anew at every
// call (the host may change them). WebURL is the server's host name, "https://name" when it is
// reached over TLS.
QString WebURL();
int WebPort();
int ModuloAtiv();

// Reads a number written with the default locale's decimal separator; throws
// std::runtime_error naming the text when it is no number.
double StrToFloat(const QString &text);

} // namespace ngc
