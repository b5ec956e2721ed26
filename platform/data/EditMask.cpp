#include "EditMask.h"

#include <QStringList>

namespace ngc {

using namespace Qt::StringLiterals;

EditMask::EditMask(const QString &mask)
{
    // The sections are the text after the last two separators; a ";" escaped with "\" is part
    // of the mask.
    QString body = mask;
    QStringList sections;
    for (int i = 0; i < 2; ++i) {
        const qsizetype separator = body.lastIndexOf(u';');
        if (separator < 0 || (separator > 0 && body[separator - 1] == u'\\'))
            break;
        sections.prepend(body.mid(separator + 1));
        body.truncate(separator);
    }
    if (sections.size() == 2) {
        m_saveLiterals = sections[0] != u"0"_s;
        if (!sections[1].isEmpty())
            m_blank = sections[1][0];
    } else if (sections.size() == 1) {
        m_saveLiterals = sections[0] != u"0"_s;
    }

    Case letterCase = Case::Keep;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        Position position;
        position.letterCase = letterCase;
        switch (c.unicode()) {
        case u'>':
            letterCase = Case::Upper;
            continue;
        case u'<':
            if (i + 1 < body.size() && body[i + 1] == u'>') {
                ++i;
                letterCase = Case::Keep;
            } else {
                letterCase = Case::Lower;
            }
            continue;
        case u'\\':
            if (++i >= body.size())
                continue;
            position.literal = body[i];
            break;
        case u'0':
        case u'9':
            position.kind = Kind::Digit;
            position.required = c == u'0';
            break;
        case u'#':
            position.kind = Kind::DigitOrSign;
            break;
        case u'L':
        case u'l':
            position.kind = Kind::Letter;
            position.required = c == u'L';
            break;
        case u'A':
        case u'a':
            position.kind = Kind::LetterOrDigit;
            position.required = c == u'A';
            break;
        case u'C':
        case u'c':
            position.kind = Kind::Any;
            position.required = c == u'C';
            break;
        default:
            position.literal = c;
            break;
        }
        m_positions.push_back(position);
    }
}

bool EditMask::isLiteral(int position) const
{
    return position >= 0 && position < maxLength()
           && m_positions[static_cast<size_t>(position)].kind == Kind::Literal;
}

bool EditMask::accepts(int position, QChar c) const
{
    if (position < 0 || position >= maxLength())
        return false;
    switch (m_positions[static_cast<size_t>(position)].kind) {
    case Kind::Literal:
        return false;
    case Kind::Digit:
        return c.isDigit();
    case Kind::DigitOrSign:
        return c.isDigit() || c == u'+' || c == u'-';
    case Kind::Letter:
        return c.isLetter();
    case Kind::LetterOrDigit:
        return c.isLetterOrNumber();
    case Kind::Any:
        return c.isPrint();
    }
    return false;
}

QChar EditMask::adjust(int position, QChar c) const
{
    if (position < 0 || position >= maxLength())
        return c;
    switch (m_positions[static_cast<size_t>(position)].letterCase) {
    case Case::Upper:
        return c.toUpper();
    case Case::Lower:
        return c.toLower();
    case Case::Keep:
        break;
    }
    return c;
}

QString EditMask::format(const QString &raw) const
{
    if (isEmpty())
        return raw;
    const int length = maxLength();
    if (m_saveLiterals && raw.size() == length) {
        bool literalsInPlace = true;
        for (int i = 0; i < length && literalsInPlace; ++i) {
            const Position &position = m_positions[static_cast<size_t>(i)];
            if (position.kind == Kind::Literal && raw[i] != position.literal)
                literalsInPlace = false;
        }
        if (literalsInPlace)
            return raw;
    }
    QString text;
    text.reserve(length);
    qsizetype next = 0;
    for (const Position &position : m_positions) {
        if (position.kind == Kind::Literal) {
            text += position.literal;
            continue;
        }
        text += next < raw.size() ? raw[next++] : m_blank;
    }
    return text;
}

QString EditMask::value(const QString &edited) const
{
    if (isEmpty())
        return edited;
    QString result;
    bool typed = false;
    for (int i = 0; i < maxLength(); ++i) {
        const Position &position = m_positions[static_cast<size_t>(i)];
        const QChar c = i < edited.size() ? edited[i] : m_blank;
        if (position.kind == Kind::Literal) {
            if (m_saveLiterals)
                result += position.literal;
            continue;
        }
        if (c == m_blank || c.isSpace()) {
            // With the literals stored, a blank keeps its place so the literals keep theirs.
            if (m_saveLiterals)
                result += u' ';
            continue;
        }
        result += c;
        typed = true;
    }
    // Literals alone are no value.
    if (!typed)
        return {};
    while (result.endsWith(u' '))
        result.chop(1);
    return result;
}

bool EditMask::isComplete(const QString &edited) const
{
    for (int i = 0; i < maxLength(); ++i) {
        const Position &position = m_positions[static_cast<size_t>(i)];
        if (position.kind == Kind::Literal || !position.required)
            continue;
        if (i >= edited.size() || !accepts(i, edited[i]))
            return false;
    }
    return true;
}

QString EditMask::qtInputMask() const
{
    if (isEmpty())
        return {};
    static const QString qtSpecial = u"AaNnXx9D0d#HhBb><!\\[]{}"_s;
    QString mask;
    Case letterCase = Case::Keep;
    for (const Position &position : m_positions) {
        if (position.letterCase != letterCase) {
            mask += position.letterCase == Case::Upper   ? u">"_s
                    : position.letterCase == Case::Lower ? u"<"_s
                                                         : u"!"_s;
            letterCase = position.letterCase;
        }
        switch (position.kind) {
        case Kind::Literal:
            if (qtSpecial.contains(position.literal) || position.literal == u';')
                mask += u'\\';
            mask += position.literal;
            break;
        case Kind::Digit:
            mask += position.required ? u'9' : u'0';
            break;
        case Kind::DigitOrSign:
            mask += u'#';
            break;
        case Kind::Letter:
            mask += position.required ? u'A' : u'a';
            break;
        case Kind::LetterOrDigit:
            mask += position.required ? u'N' : u'n';
            break;
        case Kind::Any:
            mask += position.required ? u'X' : u'x';
            break;
        }
    }
    return mask + u';' + m_blank;
}

QString FormatMaskText(const QString &mask, const QString &raw)
{
    return EditMask(mask).format(raw);
}

} // namespace ngc
