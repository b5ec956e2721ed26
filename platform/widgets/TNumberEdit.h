#pragma once

#include <widgets/FocusTracker.h>
#include <widgets/WidgetEvents.h>

#include <QLineEdit>

namespace ngc {

// An unbound numeric edit with a fixed number of decimals, shown with the locale's decimal
// separator and no thousands separator. Only digits, one decimal separator (when it has
// decimals) and a leading minus sign can be typed. An empty text is a cleared edit.
class TNumberEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget *parent = nullptr, const QString &name = {});
    ~TNumberEdit() override;

    int Decimals() const { return m_decimals; }
    void SetDecimals(int decimals);

    // The value of the text; 0 for an empty text or one that is no number.
    double GetNumber() const;
    // Shows the value with the edit's decimals.
    void SetNumber(double value);
    // Empties the text.
    void Clear();

    // OnChange runs on every change of the text, typed or set.
    NotifyEvent OnChange;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyDownEvent OnKeyDown;
    KeyPressEvent OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool acceptsChar(QChar ch) const;

    int m_decimals = 2;
    FocusTracker m_focus;
};

} // namespace ngc
