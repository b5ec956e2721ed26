#include <services/HostServices.h>
#include <services/ScriptedHostUi.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>

#include "printers.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace ngc;

namespace {

class HostServices : public ::testing::Test {
protected:
    void SetUp() override { setHostUi(&ui); }
    void TearDown() override { setHostUi(nullptr); }
    ScriptedHostUi ui;
};

// A user interface that fails while reporting, as a broken display might.
class FailingUi final : public HostUi {
public:
    MsgButton message(const QString &, MsgKind, const MsgButtons &) override
    {
        throw std::runtime_error("display gone");
    }
    void unexpectedError(const QString &) override { throw std::runtime_error("display gone"); }
    void beginProgress(QWidget *, int, const QString &) override {}
    void endProgress() override { throw std::runtime_error("display gone"); }
    bool search(TClientDataSet &) override { return false; }
    bool chooseRow(TDataSource &, const QString &, const QString &) override { return false; }
    bool markRows(TDataSource &, const QString &, const QString &, bool, QString &) override
    {
        return false;
    }
};

} // namespace

TEST_F(HostServices, GuardSwallowsSilentAbortAndShowsOtherErrors)
{
    bool ranAfter = false;
    guarded([&] {
        MensErro(QStringLiteral("Marca não cadastrada."), true);
        ranAfter = true;
    });
    EXPECT_FALSE(ranAfter);
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Marca não cadastrada.")});
    EXPECT_EQ(ui.messages().at(0).kind, MsgKind::Error);
    EXPECT_TRUE(ui.errors().isEmpty());

    guarded([] { throw SilentAbort(); });
    EXPECT_TRUE(ui.errors().isEmpty());

    guarded([] { throw std::runtime_error("'12x' não é um número válido."); });
    guarded([] { throw 42; });
    ASSERT_EQ(ui.errors().size(), 2);
    EXPECT_EQ(ui.errors().at(0), QStringLiteral("'12x' não é um número válido."));
    EXPECT_FALSE(ui.errors().at(1).isEmpty());
    EXPECT_EQ(ui.messages().size(), 1);

    int calls = 0;
    guarded([&] { ++calls; });
    EXPECT_EQ(calls, 1);
}

TEST_F(HostServices, GuardLetsNothingOutEvenWhenReportingFails)
{
    FailingUi failing;
    setHostUi(&failing);
    EXPECT_NO_THROW(guarded([] { throw std::logic_error("broken"); }));
    EXPECT_NO_THROW(guarded([] { MensErro(QStringLiteral("x"), true); }));
    EXPECT_NO_THROW({ ProgressGuard guard(nullptr, 6); });
}

TEST_F(HostServices, MensErroWithoutAbortOnlyShows)
{
    EXPECT_NO_THROW(MensErro(QStringLiteral("Aviso"), false));
    EXPECT_THROW(MensErro(QStringLiteral("Falha"), true), SilentAbort);
    EXPECT_EQ(ui.messageTexts(), (QStringList{QStringLiteral("Aviso"), QStringLiteral("Falha")}));
    EXPECT_EQ(ui.messages().at(0).buttons, MsgButtons{MsgButton::Ok});
}

TEST_F(HostServices, ProgressGuardHidesTheWindowOnEveryPath)
{
    {
        ProgressGuard guard(nullptr, 1, QStringLiteral("Atualizando dados no servidor..."));
        EXPECT_TRUE(ui.progressShown());
    }
    EXPECT_FALSE(ui.progressShown());

    guarded([&] {
        ProgressGuard guard(nullptr, 6);
        EXPECT_TRUE(ui.progressShown());
        MensErro(QStringLiteral("Tipo de cobrança não cadastrada."), true);
    });
    EXPECT_FALSE(ui.progressShown());

    EXPECT_THROW(
        {
            ProgressGuard outer(nullptr, 1);
            ProgressGuard inner(nullptr, 6, QStringLiteral("inner"));
            throw std::runtime_error("server down");
        },
        std::runtime_error);
    EXPECT_FALSE(ui.progressShown());

    ASSERT_EQ(ui.progress().size(), 8);
    EXPECT_EQ(ui.progress().at(0).kind, 1);
    EXPECT_EQ(ui.progress().at(0).text, QStringLiteral("Atualizando dados no servidor..."));
    EXPECT_EQ(ui.progress().at(2).kind, 6);
    EXPECT_TRUE(ui.progress().at(6).shownAfter); // the inner end leaves the outer window up
    EXPECT_FALSE(ui.progress().at(7).shownAfter);
    EXPECT_FALSE(ui.progress().at(7).begin);
}

TEST_F(HostServices, SelectionTextIsAJsonArrayOfKeys)
{
    EXPECT_EQ(selectionFromKeys({}), QString());
    EXPECT_EQ(selectionFromKeys({QStringLiteral("0001"), QStringLiteral("0002")}),
              QStringLiteral(R"(["0001","0002"])"));
    EXPECT_EQ(selectionFromKeys({QStringLiteral(R"(a"b)")}), QStringLiteral(R"(["a\"b"])"));

    struct Case {
        const char *text;
        QStringList keys;
    };
    const QList<Case> cases{
        {"", {}},
        {R"(["0001","0002"])", {QStringLiteral("0001"), QStringLiteral("0002")}},
        {R"( [ "x" ] )", {QStringLiteral("x")}},
        {R"(["0001",2])", {}},
        {"'0001','0002'", {}},
        {R"({"a":1})", {}},
        {"[]", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(keysFromSelection(QString::fromUtf8(c.text)), c.keys) << c.text;
}

TEST_F(HostServices, ListsGoThroughTheHostUi)
{
    TClientDataSet ds(QStringLiteral("cdsPesqProd"));
    ds.AddField({QStringLiteral("CDPRODUTO"), FieldType::String, 6});
    DataPacket packet;
    packet.fields = ds.FieldDefs();
    for (const char *code : {"000001", "000002", "000003"})
        packet.rows.append(Row{QString::fromUtf8(code)});
    ds.SetData(packet);
    TDataSource source(QStringLiteral("dtsPesqProd"), &ds);

    ui.answerRow(3);
    EXPECT_TRUE(Procura(ds));
    EXPECT_EQ(ds.RecNo(), 3);

    QString selection = QStringLiteral(R"(["000001"])");
    ui.answerMarks({QStringLiteral("000002")});
    EXPECT_TRUE(PesquisaLista(source, QStringLiteral("CDPRODUTO"), QStringLiteral("Produtos"),
                              false, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["000002"])"));

    EXPECT_FALSE(PesquisaLista(source, QStringLiteral("CDPRODUTO"), QString(), false, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["000002"])"));
    EXPECT_EQ(ui.lists().size(), 3);
    EXPECT_EQ(ui.lists().at(1).selectionIn, QStringLiteral(R"(["000001"])"));
}

TEST(HostUiDefault, ConsoleRunsGetTheScriptedUi)
{
    setHostUi(nullptr);
    EXPECT_NE(dynamic_cast<ScriptedHostUi *>(&hostUi()), nullptr);
    ScriptedHostUi mine;
    setHostUi(&mine);
    EXPECT_EQ(&hostUi(), &mine);
    setHostUi(nullptr);
    EXPECT_NE(&hostUi(), &mine);
}
