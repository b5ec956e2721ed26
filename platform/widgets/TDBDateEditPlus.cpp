#include "TDBDateEditPlus.h"

#include <data/TField.h>
#include <services/HostServices.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <stdexcept>

namespace ngc {

namespace {

const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

int asciiDigits(const QString &text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A complete text is read straight from its ten characters: the date is read every time the
// text changes and before every save, and Qt's format parser costs far more than the reading.
// Anything else (half typed, other digits, year 0) is left to the parser.
QDate dateOf(const QString &text)
{
    if (text.size() == 10 && text[2] == u'/' && text[5] == u'/') {
        const int day = asciiDigits(text, 0, 2);
        const int month = asciiDigits(text, 3, 2);
        const int year = asciiDigits(text, 6, 4);
        if (day >= 0 && month >= 0 && year > 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(text, kDateFormat);
}

} // namespace

TDBDateEditPlus::TDBDateEditPlus(QWidget *parent, const QString &name)
    : TDBEdit(parent, name),
      m_weekDayNames({QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                      QStringLiteral("Quarta"), QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                      QStringLiteral("Sábado")}),
      m_validColor(Qt::blue)
{
    setInputMask(QStringLiteral("00/00/0000; "));

    m_button = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    m_button->setObjectName(QStringLiteral("btnCalendar"));
    m_button->setToolTip(QStringLiteral("Calendário"));
    connect(m_button, &QAction::triggered, this, [this] { DropDown(); });
}

TDBDateEditPlus::~TDBDateEditPlus() = default;

// The calendar is built when it is first needed: most date edits are never dropped down, and
// every widget of a window costs something each time the window is shown or hidden.
QCalendarWidget *TDBDateEditPlus::Calendar()
{
    if (m_calendar)
        return m_calendar;
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setFrameShape(QFrame::Box);
    auto *column = new QVBoxLayout(m_popup);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(0);
    auto *titles = new QHBoxLayout;
    titles->setSpacing(0);
    for (int day = 0; day < 7; ++day) {
        auto *label = new QLabel(m_popup);
        label->setAlignment(Qt::AlignCenter);
        titles->addWidget(label, 1);
        m_dayLabels.append(label);
    }
    column->addLayout(titles);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setObjectName(QStringLiteral("calendar"));
    m_calendar->setFirstDayOfWeek(Qt::Sunday);
    // Column titles come from WeekDayNames, not from the system's locale.
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    column->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::activated, this,
            [this](QDate date) { chooseFromCalendar(date); });
    connect(m_calendar, &QCalendarWidget::clicked, this,
            [this](QDate date) { chooseFromCalendar(date); });
    SetWeekDayNames(m_weekDayNames);
    return m_calendar;
}

bool TDBDateEditPlus::IsBlank() const
{
    for (QChar c : text())
        if (c.isDigit())
            return false;
    return true;
}

QDate TDBDateEditPlus::GetDate() const
{
    if (IsBlank())
        return {};
    const QDate date = dateOf(text());
    return date.isValid() ? date : QDate();
}

void TDBDateEditPlus::CheckValidDate() const
{
    if (!IsBlank() && !GetDate().isValid())
        throw std::runtime_error(
            QStringLiteral("'%1' não é uma data válida.").arg(displayText()).toStdString());
}

void TDBDateEditPlus::SetDate(const QDate &date)
{
    EnterText(date.isValid() ? date.toString(kDateFormat) : QString());
}

void TDBDateEditPlus::SetWeekDayNames(const QStringList &names)
{
    m_weekDayNames = names;
    for (int day = 0; day < m_dayLabels.size(); ++day)
        m_dayLabels[day]->setText(names.value(day).left(3));
}

void TDBDateEditPlus::SetValidDateColor(const QColor &color)
{
    m_validColor = color;
    updateTextColor();
}

void TDBDateEditPlus::DropDown()
{
    if (!isEnabled() || ReadOnly())
        return;
    const QDate shown = GetDate();
    Calendar()->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void TDBDateEditPlus::chooseFromCalendar(const QDate &date)
{
    m_popup->hide();
    guarded([&] { SetDate(date); });
}

QString TDBDateEditPlus::fieldText(TField &field, bool) const
{
    if (field.IsNull())
        return {};
    const QDateTime value = field.AsDateTime();
    return value.isValid() ? value.date().toString(kDateFormat) : QString();
}

bool TDBDateEditPlus::writeFieldText(TField &field, const QString &)
{
    if (IsBlank()) {
        field.Clear();
        return true;
    }
    const QDate date = GetDate();
    // A half-typed or impossible date keeps the field as it was; CheckValidDate reports it.
    if (!date.isValid())
        return false;
    field.SetAsDateTime(QDateTime(date, QTime(0, 0)));
    return true;
}

bool TDBDateEditPlus::acceptsChar(QChar ch) const
{
    return ch.isDigit();
}

void TDBDateEditPlus::textWasChanged()
{
    updateTextColor();
    const QDate date = GetDate();
    if (date == m_lastDate)
        return;
    m_lastDate = date;
    if (OnDateChange)
        guarded(OnDateChange);
}

void TDBDateEditPlus::updateTextColor()
{
    QPalette p = palette();
    p.setColor(QPalette::Text,
               GetDate().isValid() ? m_validColor : QApplication::palette().color(QPalette::Text));
    setPalette(p);
}

void TDBDateEditPlus::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) ||
        event->key() == Qt::Key_F4) {
        DropDown();
        return;
    }
    TDBEdit::keyPressEvent(event);
}

} // namespace ngc
