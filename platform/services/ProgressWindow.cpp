#include <services/ProgressWindow.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

namespace ngc {

namespace {

constexpr int SpinnerSpokes = 12;

// Spokes of decreasing strength behind a leading one; advancing the lead turns the wheel.
class Spinner final : public QWidget {
public:
    explicit Spinner(const int &step, QWidget *parent) : QWidget(parent), m_step(step)
    {
        setFixedSize(32, 32);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        QColor color = palette().color(QPalette::WindowText);
        for (int i = 0; i < SpinnerSpokes; ++i) {
            const int age = (m_step - i + SpinnerSpokes) % SpinnerSpokes;
            color.setAlphaF(1.0f - 0.075f * static_cast<float>(age));
            painter.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
            painter.save();
            painter.rotate(360.0 * i / SpinnerSpokes);
            painter.drawLine(QPointF(0, -7), QPointF(0, -13));
            painter.restore();
        }
    }

private:
    const int &m_step;
};

} // namespace

ProgressWindow::ProgressWindow()
    // A tool-tip window is never activated on any platform (a tool window is, on some), so the
    // screen keeps the activation and nothing there sees a focus change.
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_spinner(new Spinner(m_step, this)), m_bar(new QProgressBar(this)),
      m_label(new QLabel(this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_bar->setFixedWidth(120);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(m_spinner);
    layout->addWidget(m_bar);
    layout->addWidget(m_label);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::advance);
    setKind(0);
    setText({});
}

void ProgressWindow::setKind(int kind)
{
    m_kind = kind;
    m_bar->setVisible(kind == 1);
    m_spinner->setVisible(kind != 1);
}

void ProgressWindow::setText(const QString &text)
{
    m_label->setText(text);
    m_label->setVisible(!text.isEmpty());
    adjustSize();
}

QString ProgressWindow::text() const
{
    return m_label->text();
}

void ProgressWindow::showOver(QWidget *owner)
{
    adjustSize();
    QWidget *anchor = owner ? owner->window() : QApplication::activeWindow();
    QRect area;
    if (anchor && anchor->isVisible())
        area = anchor->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QRect frame = geometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
    show();
    raise();
    m_timer->start();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ProgressWindow::advance()
{
    m_step = (m_step + 1) % SpinnerSpokes;
    m_spinner->update();
}

} // namespace ngc
