#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace ngc {

// The small window that tells the user to wait during a blocking call: frameless, on top,
// centred on its owner's window, an animation and a text. It never takes the focus away from the
// screen, so the screen's focused control stays what it was.
class ProgressWindow final : public QWidget {
    Q_OBJECT
public:
    // Animation kind 1 (saving, re-reading) shows a busy bar; every other kind a spinner.
    ProgressWindow();

    void setKind(int kind);
    int kind() const { return m_kind; }
    void setText(const QString &text);
    QString text() const;
    // Shows the window over owner (the screen if null) and paints it at once: the blocking call
    // that follows leaves the event loop no chance to.
    void showOver(QWidget *owner);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void advance();

    int m_kind = 0;
    int m_step = 0;
    QWidget *m_spinner;
    QProgressBar *m_bar;
    QLabel *m_label;
    QTimer *m_timer;
};

} // namespace ngc
