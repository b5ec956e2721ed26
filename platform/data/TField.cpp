#include "TField.h"

#include "DataSetImpl.h"
#include "EditMask.h"
#include "Formats.h"

#include <QLocale>

namespace ngc {

using namespace Qt::StringLiterals;

namespace {

// The locale's short date, with the time only when there is one: the screens use the date part.
QString plainDateTimeText(const QDateTime &dateTime)
{
    const QString date = QLocale().toString(dateTime.date(), QLocale::ShortFormat);
    if (dateTime.time() == QTime(0, 0))
        return date;
    return date + u' ' + QLocale().toString(dateTime.time(), QLocale::ShortFormat);
}

} // namespace


TField::TField(TClientDataSet &dataSet, FieldDef def) : m_dataSet(dataSet), m_def(std::move(def))
{
}

int TField::Size() const
{
    return fieldSize(m_def);
}

int TField::Index() const
{
    return m_index;
}

QVariant TField::Value() const
{
    const Row *row = m_dataSet.d->currentRow();
    if (!row || m_index < 0 || m_index >= row->size())
        return {};
    return row->at(m_index);
}

void TField::SetValue(const QVariant &value)
{
    TClientDataSet::Impl &d = *m_dataSet.d;
    if (d.state != DataSetState::Edit && d.state != DataSetState::Insert)
        d.fail(u"field %1: dataset not in edit or insert state"_s.arg(m_def.name));
    bool ok = true;
    QVariant stored = coerceValue(m_def, value, ok);
    if (!ok)
        d.fail(u"field %1: \"%2\" is not a valid %3"_s.arg(m_def.name, value.toString(),
                                                            fieldTypeName(m_def.type)));
    Row *row = d.writableRow();
    (*row)[m_index] = std::move(stored);
    d.fieldWritten(this);
}

QVariant TField::OldValue() const
{
    const TClientDataSet::Impl &d = *m_dataSet.d;
    const int record = d.currentRecord();
    if (record < 0 || m_index < 0)
        return {};
    switch (d.state) {
    case DataSetState::Insert:
        return {};
    case DataSetState::Edit:
        return d.editOld.value(m_index);
    default:
        break;
    }
    const Record &r = d.records[static_cast<size_t>(record)];
    if (r.status == Record::Status::Modified)
        return r.base.value(m_index);
    if (r.status == Record::Status::Inserted)
        return {};
    return r.values.value(m_index);
}

bool TField::IsNull() const
{
    return Value().isNull();
}

void TField::Clear()
{
    SetValue(QVariant());
}

QString TField::AsString() const
{
    const QVariant value = Value();
    if (value.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Float:
        return FloatToText(value.toDouble());
    case FieldType::DateTime:
        return plainDateTimeText(value.toDateTime());
    case FieldType::Boolean:
        return value.toBool() ? u"True"_s : u"False"_s;
    default:
        return value.toString();
    }
}

void TField::SetAsString(const QString &text)
{
    if (m_def.type == FieldType::String) {
        SetValue(text);
        return;
    }
    assignText(text);
}

double TField::AsFloat() const
{
    return Value().toDouble();
}

void TField::SetAsFloat(double value)
{
    SetValue(value);
}

QDateTime TField::AsDateTime() const
{
    return Value().toDateTime();
}

void TField::SetAsDateTime(const QDateTime &value)
{
    SetValue(value.isValid() ? QVariant(value) : QVariant());
}

qint64 TField::AsInteger() const
{
    const QVariant value = Value();
    if (m_def.type == FieldType::Float)
        return qRound64(value.toDouble());
    return value.toLongLong();
}

void TField::SetAsInteger(qint64 value)
{
    SetValue(value);
}

bool TField::AsBoolean() const
{
    return Value().toBool();
}

void TField::SetAsBoolean(bool value)
{
    SetValue(value);
}

QString TField::formattedText(bool displayText) const
{
    const QVariant value = Value();
    if (value.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::String: {
        QString text = value.toString();
        if (displayText && !EditMask.isEmpty())
            return FormatMaskText(EditMask, text);
        return text;
    }
    case FieldType::Float: {
        const QString &format = displayText || EditFormat.isEmpty() ? DisplayFormat : EditFormat;
        if (format.isEmpty())
            return FloatToText(value.toDouble());
        return FormatFloat(format, value.toDouble());
    }
    case FieldType::DateTime: {
        const QDateTime dateTime = value.toDateTime();
        const QString &format = displayText || EditFormat.isEmpty() ? DisplayFormat : EditFormat;
        if (!format.isEmpty())
            return QLocale().toString(dateTime, format);
        return plainDateTimeText(dateTime);
    }
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::Boolean:
        return value.toBool() ? u"True"_s : u"False"_s;
    }
    return {};
}

QString TField::DisplayText() const
{
    QString text = formattedText(true);
    if (OnGetText)
        OnGetText(const_cast<TField &>(*this), text, true);
    return text;
}

QString TField::Text() const
{
    QString text = formattedText(false);
    if (OnGetText)
        OnGetText(const_cast<TField &>(*this), text, false);
    return text;
}

namespace {

// Strips what a picture adds around the digits ("%", quoted text) so that the text a field shows
// for editing can be typed back.
QString withoutPictureLiterals(const QString &text, const QString &format)
{
    QString result = text;
    for (const QChar c : format) {
        if (c != u'#' && c != u'0' && c != u',' && c != u'.' && c != u';' && c != u'"'
            && c != u'\'' && !c.isSpace())
            result.remove(c);
    }
    return result;
}

QDateTime parseUserDateTime(const QString &text)
{
    const QLocale locale;
    for (const QString &format :
         {locale.dateTimeFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::ShortFormat),
          u"dd/MM/yyyy HH:mm:ss"_s, u"dd/MM/yyyy HH:mm"_s, u"dd/MM/yyyy"_s,
          u"yyyy-MM-ddTHH:mm:ss"_s, u"yyyy-MM-dd"_s}) {
        QDateTime parsed = locale.toDateTime(text, format);
        if (parsed.isValid())
            return parsed;
    }
    return {};
}

} // namespace

void TField::SetText(const QString &text)
{
    if (OnSetText) {
        OnSetText(*this, text);
        return;
    }
    assignText(text);
}

void TField::assignText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (m_def.type == FieldType::String) {
        SetValue(text);
        return;
    }
    if (trimmed.isEmpty()) {
        Clear();
        return;
    }
    auto refuse = [&]() {
        m_dataSet.d->fail(u"field %1: \"%2\" is not a valid %3"_s.arg(
            m_def.name, text, fieldTypeName(m_def.type)));
    };
    switch (m_def.type) {
    case FieldType::Float: {
        double value = 0;
        const QString format = EditFormat.isEmpty() ? DisplayFormat : EditFormat;
        if (!TextToFloat(withoutPictureLiterals(trimmed, format), value))
            refuse();
        SetValue(value);
        return;
    }
    case FieldType::DateTime: {
        const QDateTime value = parseUserDateTime(trimmed);
        if (!value.isValid())
            refuse();
        SetValue(value);
        return;
    }
    case FieldType::Integer: {
        bool ok = false;
        const qint64 value = QLocale().toLongLong(trimmed, &ok);
        if (!ok)
            refuse();
        SetValue(value);
        return;
    }
    case FieldType::Boolean: {
        const QString lower = trimmed.toLower();
        if (lower == u"true"_s || lower == u"1"_s)
            SetValue(true);
        else if (lower == u"false"_s || lower == u"0"_s)
            SetValue(false);
        else
            refuse();
        return;
    }
    case FieldType::String:
        break;
    }
}

} // namespace ngc
