#include <services/QtHostUi.h>

#include <services/DataSetSnapshotModel.h>
#include <services/HostServices.h>
#include <services/MarkRowsDialog.h>
#include <services/ProgressWindow.h>
#include <services/RowChooserDialog.h>
#include <services/SearchDialog.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace ngc {

namespace {

QWidget *dialogParent()
{
    QWidget *parent = QApplication::activeModalWidget();
    return parent ? parent : QApplication::activeWindow();
}

std::pair<QString, QMessageBox::ButtonRole> buttonText(MsgButton button)
{
    switch (button) {
    case MsgButton::Ok:
        return {QStringLiteral("OK"), QMessageBox::AcceptRole};
    case MsgButton::Cancel:
        return {QStringLiteral("Cancelar"), QMessageBox::RejectRole};
    case MsgButton::Yes:
        return {QStringLiteral("Sim"), QMessageBox::YesRole};
    case MsgButton::No:
        return {QStringLiteral("Não"), QMessageBox::NoRole};
    }
    return {QStringLiteral("OK"), QMessageBox::AcceptRole};
}

} // namespace

class QtHostUi::ProgressPause final {
public:
    explicit ProgressPause(const QtHostUi &ui) : m_window(ui.m_progress)
    {
        // One read of the guarded pointer: the window cannot go between the test and the use.
        if (QWidget *window = m_window.data(); window && window->isVisible())
            window->hide();
        else
            m_window.clear();
    }
    ~ProgressPause()
    {
        if (m_window) {
            m_window->show();
            m_window->repaint();
        }
    }
    ProgressPause(const ProgressPause &) = delete;
    ProgressPause &operator=(const ProgressPause &) = delete;

private:
    QPointer<ProgressWindow> m_window;
};

QtHostUi::~QtHostUi()
{
    // The default instance outlives the application object; a window left up by then is the
    // system's to take down.
    if (m_progress && QCoreApplication::instance())
        delete m_progress.data();
}

ProgressWindow *QtHostUi::progressWindow() const
{
    return m_progress.data();
}

MsgButton QtHostUi::message(const QString &text, MsgKind kind, const MsgButtons &buttons)
{
    const MsgButtons offered = buttons.isEmpty() ? MsgButtons{MsgButton::Ok} : buttons;
    QMessageBox box(dialogParent());
    box.setObjectName(QStringLiteral("HostMessageBox"));
    box.setText(text);
    switch (kind) {
    case MsgKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Informação"));
        break;
    case MsgKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Atenção"));
        break;
    case MsgKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Erro"));
        break;
    case MsgKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirmação"));
        break;
    }

    QList<std::pair<QAbstractButton *, MsgButton>> pushButtons;
    for (const MsgButton button : offered) {
        const auto [label, role] = buttonText(button);
        pushButtons.append({box.addButton(label, role), button});
    }
    box.setDefaultButton(qobject_cast<QPushButton *>(pushButtons.first().first));

    // Escape answers "no" to a question and "cancel" where there is one; closing the box does
    // the same.
    std::pair<QAbstractButton *, MsgButton> escape = pushButtons.first();
    for (const MsgButton wanted : {MsgButton::Cancel, MsgButton::No}) {
        const auto found =
            std::find_if(pushButtons.cbegin(), pushButtons.cend(),
                         [wanted](const auto &entry) { return entry.second == wanted; });
        if (found != pushButtons.cend()) {
            escape = *found;
            break;
        }
    }
    box.setEscapeButton(escape.first);

    const ProgressPause pause(*this);
    box.exec();
    for (const auto &[pushButton, button] : pushButtons) {
        if (box.clickedButton() == pushButton)
            return button;
    }
    return escape.second;
}

void QtHostUi::unexpectedError(const QString &text)
{
    message(text, MsgKind::Error, {MsgButton::Ok});
}

void QtHostUi::beginProgress(QWidget *owner, int animationKind, const QString &text)
{
    ++m_depth;
    if (!m_progress)
        m_progress = new ProgressWindow;
    m_progress->setKind(animationKind);
    m_progress->setText(text);
    m_progress->showOver(owner);
}

void QtHostUi::endProgress()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0 && m_progress)
        delete m_progress.data();
}

bool QtHostUi::search(TClientDataSet &dataSet)
{
    SearchDialog dialog(dataSet, dialogParent());
    const ProgressPause pause(*this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dataSet.SetRecNo(dialog.foundRow());
    return true;
}

bool QtHostUi::chooseRow(TDataSource &source, const QString &title, const QString &emptyText)
{
    TClientDataSet *dataSet = source.DataSet();
    RowChooserDialog dialog(dataSet, title, emptyText, dialogParent());
    const ProgressPause pause(*this);
    if (dialog.exec() != QDialog::Accepted || !dataSet)
        return false;
    dataSet->SetRecNo(dialog.chosenRow());
    return true;
}

bool QtHostUi::markRows(TDataSource &source, const QString &keyField, const QString &title,
                        bool flag, QString &selection)
{
    const QStringList incoming = keysFromSelection(selection);
    MarkRowsDialog dialog(source.DataSet(), keyField, title, incoming, dialogParent());
    if (flag && incoming.isEmpty())
        dialog.model()->setAllChecked(true);
    const ProgressPause pause(*this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    selection = selectionFromKeys(dialog.markedKeys());
    return true;
}

} // namespace ngc
