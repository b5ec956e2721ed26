#pragma once

#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QAbstractSpinBox>

namespace ngc {

// An integer spin edit whose text may be empty. Only digits can be typed, up to MaxLength. The
// up and down keys and buttons step the value within MinValue..MaxValue. Value reads the text as
// an integer, MinValue when it is empty or no integer. Leaving the edit brings a typed number
// that is out of range back into the range; an empty text stays empty.
class TSpinEdit final : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget *parent = nullptr, const QString &name = {});
    ~TSpinEdit() override;

    int MinValue() const { return m_min; }
    void SetMinValue(int value);
    int MaxValue() const { return m_max; }
    void SetMaxValue(int value);
    // 0: no limit.
    int MaxLength() const;
    void SetMaxLength(int length);

    QString Text() const;
    void SetText(const QString &text);
    int Value() const;
    // Shows the value brought into MinValue..MaxValue.
    void SetValue(int value);

    // OnChange runs on every change of the text, typed, stepped or set; while it runs,
    // ChangedByProgram says whether the program made the change (SetText, SetValue, the
    // correction on leaving) rather than the user (typing, editing, stepping).
    NotifyEvent OnChange;
    bool ChangedByProgram() const { return m_byProgram; }
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyDownEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void onTextChanged();
    void onExitControl();

    // Writes the text, as the user or as the program.
    void setText(const QString &text, bool byProgram);

    int m_min = 0;
    int m_max = 100;
    bool m_byProgram = false;
    FocusTracker m_focus;
};

} // namespace ngc
