#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QWidget;

namespace ngc {

// Photographs a modal screen from inside its own modal run: waits until the top-level window of
// the given name is shown and active (so its first activation has loaded the data), renders the
// whole window once per page of its page control "pgcPadrao", then closes it.
class ScreenshotRun final : public QObject {
    Q_OBJECT
public:
    ScreenshotRun(QString directory, QString windowName);

    void start();
    bool finished() const { return m_finished; }
    QStringList written() const { return m_written; } // file paths, in page order
    QString error() const { return m_error; }         // empty when every page was written
    QString summary() const;

private:
    void poll();
    void capture(QWidget *window);

    QString m_directory;
    QString m_windowName;
    QTimer m_timer;
    int m_waitedForActivation = 0;
    bool m_finished = false;
    QStringList m_written;
    QString m_error;
};

} // namespace ngc
