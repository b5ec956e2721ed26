#pragma once

#include <widgets/FieldLink.h>
#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QCheckBox>

namespace ngc {

class TDataSource;
class TField;

// A check box bound to a field: checked when the field's text is ValueChecked, unchecked
// otherwise. Toggling it while the dataset browses starts the edit first (a refused edit leaves
// it as it was) and writes ValueChecked or ValueUnchecked into the field at once.
class TDBCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr, const QString &name = {});
    ~TDBCheckBox() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    QString DataField() const { return m_link.DataField(); }
    void SetDataField(const QString &fieldName);
    TField *Field() const { return m_link.Field(); }

    QString ValueChecked() const { return m_checked; }
    void SetValueChecked(const QString &value);
    QString ValueUnchecked() const { return m_unchecked; }
    void SetValueUnchecked(const QString &value);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // OnClick: the user toggled it; OnChange: the check changed, toggled or from the field.
    NotifyEvent OnClick;
    NotifyEvent OnChange;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;

protected:
    void nextCheckState() override;

private:
    void showField();
    void setShown(bool checked);

    FieldLink m_link;
    FocusTracker m_focus;
    QString m_checked = QStringLiteral("T");
    QString m_unchecked = QStringLiteral("F");
    bool m_readOnly = false;
};

} // namespace ngc
