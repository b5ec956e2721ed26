#pragma once

#include <widgets/FieldLink.h>
#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QComboBox>
#include <QStringList>

namespace ngc {

class TDataSource;
class TField;

// A drop-down list bound to a field: only the list's items can be chosen. It shows the item
// equal to the field's Text (none when no item is). Choosing an item while the dataset browses
// starts the edit first; then OnChange runs, and only then is the item written into the field
// (SetText). A refusal of either (SilentAbort) puts back the item shown before.
class TDBComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget *parent = nullptr, const QString &name = {});
    ~TDBComboBox() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    QString DataField() const { return m_link.DataField(); }
    void SetDataField(const QString &fieldName);
    TField *Field() const { return m_link.Field(); }

    QStringList Items() const;
    void SetItems(const QStringList &items);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // OnChange: the user chose another item.
    NotifyEvent OnChange;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyDownEvent OnKeyDown;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showPopup() override;

private:
    void choose(int index);
    void showField();

    FieldLink m_link;
    FocusTracker m_focus;
    int m_shown = -1;
    bool m_readOnly = false;
    bool m_choosing = false;
};

} // namespace ngc
