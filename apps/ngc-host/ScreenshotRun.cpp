#include "ScreenshotRun.h"

#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

namespace ngc {

namespace {

constexpr int kPollMs = 50;
// Offscreen windows are activated by a queued event; a window that never becomes active is
// photographed anyway after this many polls rather than waited for forever.
constexpr int kActivationPolls = 40;

} // namespace

ScreenshotRun::ScreenshotRun(QString directory, QString windowName)
    : m_directory(std::move(directory)), m_windowName(std::move(windowName))
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotRun::poll);
}

void ScreenshotRun::start()
{
    m_timer.start();
}

QString ScreenshotRun::summary() const
{
    QStringList names;
    for (const QString &path : m_written)
        names << QFileInfo(path).fileName();
    return QStringLiteral("ngc-host: %1 page(s) of %2 written to %3: %4")
        .arg(m_written.size())
        .arg(m_windowName, QDir::toNativeSeparators(m_directory), names.join(QLatin1Char(' ')));
}

void ScreenshotRun::poll()
{
    QWidget *window = nullptr;
    for (QWidget *candidate : QApplication::topLevelWidgets()) {
        if (candidate->objectName() == m_windowName && candidate->isVisible())
            window = candidate;
    }
    if (!window)
        return;
    if (!window->isActiveWindow() && ++m_waitedForActivation < kActivationPolls)
        return;
    m_timer.stop();
    capture(window);
    m_finished = true;
    window->close();
}

void ScreenshotRun::capture(QWidget *window)
{
    auto *pages = window->findChild<TPageControl *>(QStringLiteral("pgcPadrao"));
    if (!pages) {
        m_error = QStringLiteral("%1 has no page control pgcPadrao").arg(m_windowName);
        return;
    }
    const QDir directory(m_directory);
    TTabSheet *const front = pages->ActivePage();
    for (int i = 0; i < pages->PageCount(); ++i) {
        TTabSheet *page = pages->Pages(i);
        // A page whose tab the screen hid is not one the buyer sees; only one of the two tax
        // pages is offered at a time.
        if (!pages->TabVisible(page))
            continue;
        pages->SetActivePage(page);
        QApplication::processEvents();
        const QString path = directory.filePath(page->objectName() + QStringLiteral(".png"));
        if (!window->grab().save(path, "PNG")) {
            m_error = QStringLiteral("cannot write %1").arg(path);
            break;
        }
        m_written << path;
    }
    pages->SetActivePage(front);
}

} // namespace ngc
