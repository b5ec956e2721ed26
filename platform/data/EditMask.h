#pragma once

#include <QChar>
#include <QString>

#include <vector>

namespace ngc {

// An edit mask such as "99;0; " or "99.999.999/9999-99": positions for characters the user types
// and literal characters between them. Mask characters: "0" digit required, "9" digit optional,
// "#" digit or sign optional, "L"/"l" letter required/optional, "A"/"a" letter or digit
// required/optional, "C"/"c" any character required/optional, ">" upper case from here, "<" lower
// case, "<>" neither, "\" the next character is a literal; anything else is a literal. Optional
// sections after ";": whether the literals are stored with the value ("0" no, "1" yes, the
// default) and the character shown for a blank position (default "_").
//
// It tells a line edit what to accept where (accepts, maxLength), turns a stored value into the
// text shown in the edit (format) and the edited text back into the value to store (value).
class EditMask final {
public:
    enum class Kind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
    enum class Case { Keep, Upper, Lower };
    struct Position {
        Kind kind = Kind::Literal;
        bool required = false;
        Case letterCase = Case::Keep;
        QChar literal; // Literal positions only
    };

    EditMask() = default;
    explicit EditMask(const QString &mask);

    bool isEmpty() const { return m_positions.empty(); }
    // The number of characters of the edited text, literals included.
    int maxLength() const { return static_cast<int>(m_positions.size()); }
    const std::vector<Position> &positions() const { return m_positions; }
    bool isLiteral(int position) const;
    // Whether c may be typed at this position (false for literal positions and beyond the end).
    bool accepts(int position, QChar c) const;
    // c as it is stored at this position (case conversion applied).
    QChar adjust(int position, QChar c) const;
    bool saveLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }

    // The text an edit shows for a stored value (see FormatMaskText).
    QString format(const QString &raw) const;
    // The value to store for an edited text: the typed characters without blanks; when the mask
    // stores its literals, the whole text with blanks as spaces (trailing ones dropped). Literals
    // alone give an empty value.
    QString value(const QString &edited) const;
    // Every required position holds an accepted character.
    bool isComplete(const QString &edited) const;
    // The same mask in the notation of QLineEdit::setInputMask.
    QString qtInputMask() const;

private:
    std::vector<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
};

// Lays a raw value into a mask. When the raw value already carries the literals (the mask saves
// them and the literals sit where the mask has them) it is taken as it stands. Otherwise the raw
// characters fill the non-literal positions left to right: a shorter value leaves the remaining
// positions blank (the mask's blank character, literals still shown); characters beyond the last
// position are dropped. Characters are placed as they are, without checking them against their
// positions: this shows stored data, it does not validate it. An empty mask returns raw.
QString FormatMaskText(const QString &mask, const QString &raw);

} // namespace ngc
