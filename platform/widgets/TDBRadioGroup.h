#pragma once

#include <widgets/FieldLink.h>
#include <widgets/TRadioGroup.h>

namespace ngc {

class TDataSource;
class TField;

// A radio group bound to a field: item i stands for Values[i] (the item's caption when Values
// is shorter). The field is read and written as text (Text / SetText), so the field's text
// handlers apply. Picking an item while the dataset browses starts its edit first; a refused
// edit leaves the selection as it was. The pick is written into the field at once.
//
// OnChange runs on every change of the selected item, picked or shown from the field.
class TDBRadioGroup final : public TRadioGroup {
    Q_OBJECT
public:
    explicit TDBRadioGroup(QWidget *parent = nullptr, const QString &name = {});
    ~TDBRadioGroup() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    QString DataField() const { return m_link.DataField(); }
    void SetDataField(const QString &fieldName);
    TField *Field() const { return m_link.Field(); }

    QStringList Values() const { return m_values; }
    void SetValues(const QStringList &values);
    // The value of the selected item, or empty when none is selected.
    QString Value() const;

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

protected:
    void userPicked(int index) override;

private:
    QString valueOf(int index) const;
    void showField();

    FieldLink m_link;
    QStringList m_values;
    bool m_readOnly = false;
};

} // namespace ngc
