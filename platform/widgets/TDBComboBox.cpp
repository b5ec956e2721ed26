#include "TDBComboBox.h"

#include <data/TField.h>
#include <services/HostServices.h>
#include <services/SilentAbort.h>

#include <QKeyEvent>

namespace ngc {

TDBComboBox::TDBComboBox(QWidget *parent, const QString &name)
    : QComboBox(parent), m_link([this] { showField(); }, {}),
      m_focus(this, guardedEvent(OnEnter), guardedEvent(OnExit))
{
    if (!name.isEmpty())
        setObjectName(name);
    setEditable(false);
    connect(this, &QComboBox::activated, this,
            [this](int index) { guarded([&] { choose(index); }); });
}

TDBComboBox::~TDBComboBox() = default;

void TDBComboBox::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
}

void TDBComboBox::SetDataField(const QString &fieldName)
{
    m_link.SetDataField(fieldName);
}

QStringList TDBComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

void TDBComboBox::SetItems(const QStringList &items)
{
    clear();
    addItems(items);
    m_shown = -1;
    setCurrentIndex(-1);
    showField();
}

void TDBComboBox::showField()
{
    if (m_choosing || !m_link.DataSource())
        return;
    const TField *field = Field();
    m_shown = field ? findText(field->Text(), Qt::MatchExactly | Qt::MatchCaseSensitive) : -1;
    if (currentIndex() != m_shown)
        setCurrentIndex(m_shown);
}

void TDBComboBox::choose(int index)
{
    if (index == m_shown)
        return;
    m_choosing = true;
    try {
        if (m_readOnly)
            throw SilentAbort();
        if (m_link.DataSource() && !m_link.Edit())
            throw SilentAbort();
        if (OnChange)
            OnChange();
        if (TField *field = Field()) {
            FieldLink::WriteScope writing(m_link);
            field->SetText(itemText(index));
        }
        m_shown = index;
    } catch (...) {
        m_choosing = false;
        setCurrentIndex(m_shown);
        throw;
    }
    m_choosing = false;
    showField();
}

void TDBComboBox::keyPressEvent(QKeyEvent *event)
{
    bool pass = true;
    guarded([&] {
        QChar typed;
        pass = dispatchKeyEvents(*event, OnKeyDown, {}, typed);
    });
    if (pass)
        QComboBox::keyPressEvent(event);
}

void TDBComboBox::showPopup()
{
    if (!m_readOnly)
        QComboBox::showPopup();
}

} // namespace ngc
