#pragma once

#include <widgets/FieldLink.h>
#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QLineEdit>

namespace ngc {

class TDataSource;
class TField;

// An edit bound to a field of a data source.
//
// It shows the field's DisplayText, and its Text (the edit format) while the dataset is being
// edited and the edit has the focus. Typing (any key that changes the text) into a browsing
// dataset first starts its edit; a refused edit swallows the key. What the user typed is written
// into the field (SetText) when the focus leaves the edit and when the data source asks before a
// post. A field's edit mask ("99;0; ") limits the input to its digits and length; a field that
// is no text refuses characters its type cannot hold.
//
// OnChange runs on every change of the text, typed or shown from the field.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr, const QString &name = {});
    ~TDBEdit() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    QString DataField() const { return m_link.DataField(); }
    void SetDataField(const QString &fieldName);
    TField *Field() const { return m_link.Field(); }

    // A read-only edit never starts an edit nor writes its field.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    // Text as the user typed it, as if typed: starts the edit (a refusal reaches the caller as
    // SilentAbort) and writes the field at once. Used by lookup buttons.
    void EnterText(const QString &text);

    // Writes a pending typed text into the field now; does nothing when nothing was typed.
    void UpdateRecord();
    // Whether the text was typed and not yet written.
    bool Modified() const { return m_modified; }

    NotifyEvent OnChange;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyDownEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

protected:
    // The text shown for the field: display form, or edit form while editing with the focus.
    virtual QString fieldText(TField &field, bool forEditing) const;
    // Writes text into the field (the field's SetText by default). False: the text was not
    // taken and stays shown as typed, for the control's own check to report.
    virtual bool writeFieldText(TField &field, const QString &text);
    // Whether a typed character may go into the text at all.
    virtual bool acceptsChar(QChar ch) const;
    // Called after the text shown has changed, typed or from the field.
    virtual void textWasChanged() {}

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

    // Shows the field again, dropping any pending typed text.
    void showField();
    FieldLink &link() { return m_link; }

private:
    void applyMask();
    void onTextChanged();
    void onTextEdited(const QString &edited);
    void onEnterControl();
    void onExitControl();

    FieldLink m_link;
    FocusTracker m_focus;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_showing = false;
    bool m_digitsOnly = false;
    // The field's mask as last read, kept parsed: records are shown far more often than masks
    // change.
    QString m_maskText;
    int m_maskLength = 0;
    bool m_maskDigitsOnly = false;
    bool m_maskKnown = false;
    QString m_lastText;
};

} // namespace ngc
