#pragma once

#include <data/TDataSource.h>

#include <QWidget>

class QToolButton;

namespace ngc {

// First, prior, next and last buttons that move the current record of a data source's dataset.
// A button is enabled when its move is possible.
class TDBNavigator final : public QWidget, public DataLink {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last };

    explicit TDBNavigator(QWidget *parent = nullptr, const QString &name = {});
    ~TDBNavigator() override;

    TDataSource *DataSource() const { return linkedSource(); }
    void SetDataSource(TDataSource *source);
    QToolButton *ButtonOf(Button button) const;
    // Moves as a click on the button does.
    void BtnClick(Button button);

    void stateChanged() override;
    void dataChanged(TField *field) override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateButtons();

    QToolButton *m_buttons[4] = {};
};

} // namespace ngc
