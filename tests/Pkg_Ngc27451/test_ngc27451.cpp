#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>

#include <services/HostContext.h>
#include <services/HostServices.h>
#include <services/ScriptedHostUi.h>

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QVariantList>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>
#include <string>

using namespace Cli_Ngc27451;

namespace {

QVariantList launch(const QVariant &flag, const QStringList &keys)
{
    QVariantList params{flag};
    for (const QString &key : keys)
        params << key;
    return params;
}

const QStringList kKeys{QStringLiteral("0001"), QStringLiteral("123456"),  QStringLiteral("F77"),
                        QStringLiteral("P42"),  QStringLiteral("CHMARCA"), QStringLiteral("M9"),
                        QStringLiteral("R3"),   QStringLiteral("COMPL")};

// Runs one opening of the screen; whileShown runs once the screen is up, then the screen is
// closed as the buyer would.
void openAndClose(const QVariant &params, const std::function<void(TfrmInfoPlanNeg &)> &whileShown)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!frmInfoPlanNeg || !frmInfoPlanNeg->isVisible())
            return;
        poll.stop();
        whileShown(*frmInfoPlanNeg);
        frmInfoPlanNeg->close();
    });
    poll.start();
    IniProc(params);
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No server listens there: the screen's loading fails with a message, which the scripted
        // user interface records; the entry must still run its course.
        ngc::HostContext::instance().serverHost = QStringLiteral("127.0.0.1");
        ngc::HostContext::instance().serverPort = 1;
        ngc::setHostUi(&ui);
    }
    void TearDown() override
    {
        // The screens belong to the application, which this test outlives in no way that would
        // delete them; do it here, as a host does before it ends.
        QList<QPointer<QWidget>> screens;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QStringLiteral("frmInfoPlanNeg"))
                screens << window;
        }
        qDeleteAll(screens);
        frmInfoPlanNeg = nullptr;
        ngc::setHostUi(nullptr);
    }

    static int windowCount() { return static_cast<int>(QApplication::topLevelWidgets().size()); }

    ngc::ScriptedHostUi ui;
};

TEST(ModuleExports, ExactlyTheEntryPointsAndTheModuleVariables)
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                    QStringLiteral("-C"), QStringLiteral(NGC_MODULE_PATH)});
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    std::set<std::string> symbols;
    for (const QByteArray &line : nm.readAllStandardOutput().split('\n')) {
        // "<address> <kind> <name>"; the name may hold blanks (a demangled signature).
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 3)
            symbols.insert(line.mid(parts.at(0).size() + parts.at(1).size() + 2).toStdString());
    }
    const std::string entry =
        std::string("Cli_Ngc27451::CriaInfoPlanilha(bool, QString, QString, ") +
        "QString, QString, QString, QString, QString, QString)";
    const std::set<std::string> expected{
        "IniProc",
        entry,
        "Cli_Ngc27451::frmInfoPlanNeg",
        "Cli_Ngc27451::stPesqProduto",
        "Cli_Ngc27451::stPesqMarca",
        "Cli_Ngc27451::stPesqRegiao",
        "Cli_Ngc27451::stPesqForn",
    };
    EXPECT_EQ(symbols, expected);
}

TEST_F(ModuleTest, RefusedLaunchParametersCreateNothing)
{
    const TfrmInfoPlanNeg *before = frmInfoPlanNeg;
    const int windows = windowCount();

    IniProc(QVariant());
    EXPECT_EQ(frmInfoPlanNeg, before);
    EXPECT_EQ(windowCount(), windows);

    QVariantList withMap = launch(true, kKeys);
    withMap[3] = QVariantMap{{QStringLiteral("a"), 1}};
    QVariantList withNull = launch(true, kKeys);
    withNull[8] = QVariant();
    const std::pair<const char *, QVariant> refused[] = {
        {"eight elements", launch(true, kKeys.mid(0, 7))},
        {"ten elements", launch(true, kKeys + QStringList{QStringLiteral("x")})},
        {"not a list", QVariant(QStringLiteral("0001"))},
        {"flag that is no boolean", launch(QStringLiteral("talvez"), kKeys)},
        {"key that is no text", withMap},
        {"null key", withNull},
    };
    for (const auto &[name, params] : refused) {
        SCOPED_TRACE(name);
        EXPECT_THROW(IniProc(params), std::runtime_error);
        EXPECT_EQ(frmInfoPlanNeg, before);
        EXPECT_EQ(windowCount(), windows);
    }
}

TEST_F(ModuleTest, TheNineElementsReachTheScreenInOrder)
{
    QStringList seen;
    bool wasModal = false;
    openAndClose(launch(true, kKeys), [&](TfrmInfoPlanNeg &screen) {
        seen = {screen.stCdFilial,  screen.stNrColePreco,      screen.stCdForneced,
                screen.stCdProduto, screen.stChaveMarca,       screen.stCdMarca,
                screen.stCdRegiao,  screen.stChaveComplementar};
        wasModal = screen.isModal();
    });
    EXPECT_EQ(seen, kKeys);
    EXPECT_TRUE(wasModal);
    ASSERT_NE(frmInfoPlanNeg, nullptr);
    EXPECT_FALSE(frmInfoPlanNeg->isVisible());
    EXPECT_EQ(frmInfoPlanNeg->objectName(), QStringLiteral("frmInfoPlanNeg"));
    EXPECT_FALSE(QApplication::overrideCursor()) << "the hourglass must be gone";
}

TEST_F(ModuleTest, ASecondOpeningStartsWithoutTheFirstOnesSelections)
{
    openAndClose(launch(false, kKeys), [](TfrmInfoPlanNeg &) {
        // What the replication lists leave behind in the first opening.
        stPesqProduto = QStringLiteral("[\"P42\",\"P43\"]");
        stPesqMarca = QStringLiteral("[\"M9\"]");
        stPesqRegiao = QStringLiteral("[\"R3\"]");
        stPesqForn = QStringLiteral("[\"F77\"]");
    });
    QPointer<TfrmInfoPlanNeg> first(frmInfoPlanNeg);
    ASSERT_FALSE(first.isNull());

    QStringList selectionsAtOpening;
    bool firstHiddenMeanwhile = false;
    openAndClose(launch(false, kKeys), [&](TfrmInfoPlanNeg &screen) {
        selectionsAtOpening = {stPesqProduto, stPesqMarca, stPesqRegiao, stPesqForn};
        const TfrmInfoPlanNeg *const previous = first.data();
        firstHiddenMeanwhile = previous && &screen != previous && !previous->isVisible();
    });
    EXPECT_EQ(selectionsAtOpening, QStringList(4));
    EXPECT_TRUE(firstHiddenMeanwhile);
    const TfrmInfoPlanNeg *const kept = first.data();
    ASSERT_NE(kept, nullptr) << "the first instance stays alive";
    EXPECT_NE(frmInfoPlanNeg, kept);
    EXPECT_FALSE(kept->isVisible());
}

} // namespace
