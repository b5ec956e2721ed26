#include <services/HostServices.h>
#include <services/ProgressWindow.h>
#include <services/QtHostUi.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "printers.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ngc;

namespace {

// Runs action on the modal dialog as soon as it is up; the dialog's own event loop runs it.
void whenModal(std::function<void(QWidget *)> action, int attempts = 500)
{
    QTimer::singleShot(10, [action = std::move(action), attempts] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            action(modal);
        } else if (attempts > 0) {
            whenModal(action, attempts - 1);
        }
    });
}

template <class T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QStringList buttonTexts(QMessageBox *box)
{
    QStringList texts;
    for (QAbstractButton *button : box->buttons())
        texts.append(button->text());
    texts.sort();
    return texts;
}

class QtHostUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds.AddField({QStringLiteral("CDMARCA"), FieldType::String, 5});
        ds.AddField({QStringLiteral("NMMARCA"), FieldType::String, 30});
        DataPacket packet;
        packet.fields = ds.FieldDefs();
        packet.rows.append(Row{QStringLiteral("00001"), QStringLiteral("Alfa")});
        packet.rows.append(Row{QStringLiteral("00002"), QStringLiteral("Beta")});
        packet.rows.append(Row{QStringLiteral("00003"), QStringLiteral("Gama Beta")});
        ds.SetData(packet);
    }

    QtHostUi ui;
    TClientDataSet ds{QStringLiteral("cdsMarca")};
    TDataSource source{QStringLiteral("dtsMarca"), &ds};
};

} // namespace

TEST_F(QtHostUiTest, MessageBoxesSpeakPortugueseAndReturnTheButton)
{
    QStringList seen;
    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        seen = buttonTexts(box);
        EXPECT_EQ(box->text(), QStringLiteral("Confirma exclusão?"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.message(QStringLiteral("Confirma exclusão?"), MsgKind::Confirmation,
                         {MsgButton::Yes, MsgButton::No}),
              MsgButton::No);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Não"), QStringLiteral("Sim")}));

    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_EQ(ui.message(QStringLiteral("Confirma?"), MsgKind::Confirmation,
                         {MsgButton::Yes, MsgButton::No}),
              MsgButton::Yes);

    whenModal([](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == QStringLiteral("Não"))
                button->click();
        }
    });
    EXPECT_EQ(ui.message(QStringLiteral("Confirma?"), MsgKind::Confirmation,
                         {MsgButton::Yes, MsgButton::No}),
              MsgButton::No);

    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        seen = buttonTexts(box);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.message(QStringLiteral("Marca não cadastrada."), MsgKind::Error, {}),
              MsgButton::Ok);
    EXPECT_EQ(seen, QStringList{QStringLiteral("OK")});
}

TEST_F(QtHostUiTest, MarkRowsReturnsTheJsonOfTheMarkedKeys)
{
    QString selection = QStringLiteral(R"(["00002"])");
    bool preMarked = false;
    whenModal([&](QWidget *w) {
        auto *table = child<QTableView>(w, "tblLista");
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Marcas"));
        preMarked = table->model()->index(1, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
        QTest::keyClick(table, Qt::Key_Space); // marks the first row
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Space); // unmarks the second
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Right); // the cursor off the box column
        QTest::keyClick(table, Qt::Key_Space); // still marks the third
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_TRUE(
        ui.markRows(source, QStringLiteral("CDMARCA"), QStringLiteral("Marcas"), false, selection));
    EXPECT_TRUE(preMarked);
    EXPECT_EQ(selection, QStringLiteral(R"(["00001","00003"])"));

    whenModal([&](QWidget *w) {
        child<QAbstractButton>(w, "btnDesmarcarTodos")->click();
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(selection, QString());

    selection = QStringLiteral(R"(["00003"])");
    whenModal([&](QWidget *w) {
        QTest::keyClick(child<QTableView>(w, "tblLista"), Qt::Key_Space);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["00003"])"));

    selection.clear();
    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_TRUE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), true, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["00001","00002","00003"])"));
}

TEST_F(QtHostUiTest, ChooseRowMovesToTheChosenRecord)
{
    ds.First();
    whenModal([](QWidget *w) {
        auto *table = child<QTableView>(w, "tblLista");
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.chooseRow(source, QStringLiteral("Marcas"), QStringLiteral("Vazio")));
    EXPECT_EQ(ds.RecNo(), 3);

    whenModal([](QWidget *w) {
        auto *table = child<QTableView>(w, "tblLista");
        EXPECT_EQ(table->currentIndex().row(), 2); // opens on the current record
        QTest::keyClick(table, Qt::Key_Up);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(ui.chooseRow(source, QStringLiteral("Marcas"), QStringLiteral("Vazio")));
    EXPECT_EQ(ds.RecNo(), 3);

    TClientDataSet empty(QStringLiteral("cdsVazio"));
    empty.AddField({QStringLiteral("CDMARCA"), FieldType::String, 5});
    empty.Open();
    TDataSource emptySource(QStringLiteral("dtsVazio"), &empty);
    QString shown;
    whenModal([&](QWidget *w) {
        shown = child<QLabel>(w, "lblVazio")->text();
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_FALSE(ui.chooseRow(emptySource, QStringLiteral("Marcas"),
                              QStringLiteral("Não há marca cadastrada.")));
    EXPECT_EQ(shown, QStringLiteral("Não há marca cadastrada."));
}

// Typing in either list finds a row by any text it shows, codes as stored ("00002") and names
// alike, whatever column the cursor is in; Enter chooses, Space marks, Escape leaves.
TEST_F(QtHostUiTest, ListsFindARowByTypingAnyOfItsTexts)
{
    const struct {
        const char *typed;
        int row; // 0-based row found, from the first
    } cases[] = {{"00002", 1}, {"gama", 2}, {"BET", 1}, {"zeta", 0}, {"0", 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        ds.First();
        whenModal([&](QWidget *w) {
            auto *table = child<QTableView>(w, "tblLista");
            QTest::keyClicks(table, QString::fromLatin1(c.typed));
            QTest::keyClick(table, Qt::Key_Return);
        });
        EXPECT_TRUE(ui.chooseRow(source, QStringLiteral("Marcas"), QString()));
        EXPECT_EQ(ds.RecNo(), c.row + 1);
    }

    QString selection;
    whenModal([](QWidget *w) {
        auto *table = child<QTableView>(w, "tblLista");
        QTest::keyClick(table, Qt::Key_Right); // the cursor on the names
        QTest::keyClicks(table, QStringLiteral("gama"));
        QTest::keyClick(table, Qt::Key_Space);
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["00003"])"));
}

TEST_F(QtHostUiTest, SearchFindsTheFirstMatchingRowOfTheChosenColumn)
{
    ds.First();
    whenModal([](QWidget *w) {
        child<QComboBox>(w, "cmbCampo")->setCurrentIndex(1);
        QTest::keyClicks(child<QLineEdit>(w, "edtTexto"), QStringLiteral("beta"));
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.search(ds));
    EXPECT_EQ(ds.RecNo(), 2);

    QString status;
    whenModal([&](QWidget *w) {
        child<QComboBox>(w, "cmbCampo")->setCurrentIndex(1);
        QTest::keyClicks(child<QLineEdit>(w, "edtTexto"), QStringLiteral("Zeta"));
        QTest::keyClick(w, Qt::Key_Return);
        status = child<QLabel>(w, "lblStatus")->text();
        EXPECT_TRUE(w->isVisible()); // nothing found: the dialog stays for another try
        auto *edit = child<QLineEdit>(w, "edtTexto");
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("beta"));
        child<QCheckBox>(w, "chkQualquerParte")->setChecked(true);
        ds.Last(); // the search starts from the first row, not from the current one
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_TRUE(ui.search(ds));
    EXPECT_FALSE(status.isEmpty());
    EXPECT_EQ(ds.RecNo(), 2);

    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_FALSE(ui.search(ds));
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST_F(QtHostUiTest, ProgressWindowIsPaintedBeforeTheWorkAndGoneAfterIt)
{
    QWidget owner;
    auto *edit = new QLineEdit(&owner);
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    edit->setFocus();

    ui.beginProgress(&owner, 6, QStringLiteral("Verificando dados no servidor..."));
    QPointer<ProgressWindow> window = ui.progressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->text(), QStringLiteral("Verificando dados no servidor..."));
    EXPECT_EQ(window->kind(), 6);
    EXPECT_LE((window->geometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
    // The screen keeps the activation and its focused control while the window is up.
    EXPECT_EQ(QApplication::activeWindow(), &owner);
    EXPECT_EQ(owner.focusWidget(), edit);

    ui.beginProgress(&owner, 1, QStringLiteral("Atualizando dados no servidor..."));
    EXPECT_EQ(window->kind(), 1);

    // A message during the work is not hidden behind the window.
    bool hiddenMeanwhile = false;
    whenModal([&](QWidget *w) {
        hiddenMeanwhile = !window->isVisible();
        QTest::keyClick(w, Qt::Key_Return);
    });
    ui.message(QStringLiteral("Falha no servidor."), MsgKind::Error, {});
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(window->isVisible());

    ui.endProgress();
    EXPECT_TRUE(window->isVisible());
    ui.endProgress();
    EXPECT_TRUE(window.isNull());
    ui.endProgress(); // unmatched: ignored
    EXPECT_EQ(ui.progressWindow(), nullptr);

    {
        setHostUi(&ui);
        ProgressGuard guard(nullptr, 6);
        EXPECT_NE(ui.progressWindow(), nullptr);
    }
    setHostUi(nullptr);
    EXPECT_EQ(ui.progressWindow(), nullptr);
}

TEST(QtHostUiDefault, WidgetApplicationsGetRealDialogs)
{
    setHostUi(nullptr);
    EXPECT_NE(dynamic_cast<QtHostUi *>(&hostUi()), nullptr);
}
