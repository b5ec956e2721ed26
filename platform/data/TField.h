#pragma once

#include "DataPacket.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>

namespace ngc {

class TClientDataSet;

// One field of a dataset: its definition, its presentation, and access to the value it holds in
// the dataset's current record. Owned by its dataset.
class TField final {
public:
    // displayText: true when the text is for display, false when it is for editing.
    using GetTextHandler = std::function<void(TField &sender, QString &text, bool displayText)>;
    using SetTextHandler = std::function<void(TField &sender, const QString &text)>;

    TField(TClientDataSet &dataSet, FieldDef def);
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TClientDataSet &DataSet() const { return m_dataSet; }
    const FieldDef &Def() const { return m_def; }
    QString FieldName() const { return m_def.name; }
    FieldType DataType() const { return m_def.type; }
    int Size() const; // strings: the maximum length (20 when the definition gives none)
    int Index() const;

    // Presentation. A format uses the picture notation "#,##0.00", "##0.00%" (no scaling) with the
    // separators of the default QLocale; an edit mask is like "99;0; ".
    QString DisplayLabel; // empty: the field name
    bool Visible = true;
    QString DisplayFormat;
    QString EditFormat; // empty: DisplayFormat
    QString EditMask;
    GetTextHandler OnGetText;
    SetTextHandler OnSetText;
    // The label shown for the field: DisplayLabel, or the field name when that is empty.
    QString DisplayName() const { return DisplayLabel.isEmpty() ? m_def.name : DisplayLabel; }

    // The value in the current record; on an empty or inactive dataset a null value.
    QVariant Value() const;
    // Writing needs the dataset in edit or insert state (else DataSetError). A string longer than
    // Size() keeps its first Size() characters; an empty string is stored as null. Notifies the
    // data sources of the change.
    void SetValue(const QVariant &value);
    // The value before the current edit (the record's value when the edit began); for a record
    // being inserted, null.
    QVariant OldValue() const;
    bool IsNull() const;
    void Clear();

    // Typed access. Null reads as "" / 0 / invalid date-time / false.
    QString AsString() const;
    void SetAsString(const QString &text);
    double AsFloat() const;
    void SetAsFloat(double value);
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime &value);
    qint64 AsInteger() const;
    void SetAsInteger(qint64 value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);

    // Text through OnGetText when set, else the value formatted by DisplayFormat (EditFormat for
    // Text()) or, for floats without a format, in general format (999 -> "999"). Null gives "".
    QString DisplayText() const;
    QString Text() const;
    // Writes a text through OnSetText when set, else parses it for the field's type with the
    // locale's separators (an empty text stores null; a text that is no value raises
    // DataSetError naming the field).
    void SetText(const QString &text);

private:
    friend class TClientDataSet;
    QString formattedText(bool displayText) const;
    void assignText(const QString &text); // SetText without the handler

    TClientDataSet &m_dataSet;
    FieldDef m_def;
    int m_index = -1;
};

} // namespace ngc
