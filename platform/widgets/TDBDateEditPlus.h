#pragma once

#include <widgets/TDBEdit.h>

#include <QColor>
#include <QDate>
#include <QList>
#include <QStringList>

class QAction;
class QCalendarWidget;
class QFrame;
class QLabel;

namespace ngc {

// A bound date edit: "dd/MM/yyyy" or blank, with a calendar button that opens a month calendar.
// The date is stored without a time; a blank text stores null. A text that is neither blank nor
// a date is not written into the field (the field keeps its value) and stays shown as typed;
// CheckValidDate reports it.
class TDBDateEditPlus : public TDBEdit {
    Q_OBJECT
public:
    explicit TDBDateEditPlus(QWidget *parent = nullptr, const QString &name = {});
    ~TDBDateEditPlus() override;

    // The date shown; a null QDate when the text is blank or no date.
    QDate GetDate() const;
    // Shows a date (null: blank) as if the user had chosen it: starts the edit and writes it.
    void SetDate(const QDate &date);
    // Throws std::runtime_error "'31/02/2026' não é uma data válida." when the text is neither
    // blank nor a valid date.
    void CheckValidDate() const;
    // Whether the text holds no digit at all.
    bool IsBlank() const;

    // Week-day names, Sunday first, shown as the calendar's column titles.
    QStringList WeekDayNames() const { return m_weekDayNames; }
    void SetWeekDayNames(const QStringList &names);
    // Colour of the text while it holds a valid date (blue by default).
    void SetValidDateColor(const QColor &color);

    // Opens the calendar below the edit (the calendar button does this).
    void DropDown();
    // The calendar the drop-down shows; built on first use.
    QCalendarWidget *Calendar();

    // Runs when the date shown changes (typed to a complete date or blank, chosen, or from the
    // field).
    NotifyEvent OnDateChange;

protected:
    QString fieldText(TField &field, bool forEditing) const override;
    bool writeFieldText(TField &field, const QString &text) override;
    bool acceptsChar(QChar ch) const override;
    void textWasChanged() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void chooseFromCalendar(const QDate &date);
    void updateTextColor();

    QAction *m_button = nullptr;
    QFrame *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
    QList<QLabel *> m_dayLabels;
    QStringList m_weekDayNames;
    QColor m_validColor;
    QDate m_lastDate;
};

} // namespace ngc
