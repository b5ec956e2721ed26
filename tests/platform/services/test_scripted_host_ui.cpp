#include <services/ScriptedHostUi.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>

#include "printers.h"

#include <gtest/gtest.h>

using namespace ngc;

namespace {

void load(TClientDataSet &ds, int rows)
{
    ds.AddField({QStringLiteral("CDMARCA"), FieldType::String, 5});
    DataPacket packet;
    packet.fields = ds.FieldDefs();
    for (int i = 1; i <= rows; ++i)
        packet.rows.append(Row{QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'))});
    ds.SetData(packet);
}

const MsgButtons yesNo{MsgButton::Yes, MsgButton::No};

} // namespace

TEST(ScriptedHostUi, UnscriptedDialogsAnswerLikeAUserClosingThem)
{
    ScriptedHostUi ui;
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    load(ds, 3);
    ds.SetRecNo(2);
    TDataSource source(QStringLiteral("dtsMarca"), &ds);
    QString selection = QStringLiteral(R"(["00001"])");

    EXPECT_EQ(ui.message(QStringLiteral("Confirma?"), MsgKind::Confirmation, yesNo),
              MsgButton::Yes);
    EXPECT_EQ(ui.message(QStringLiteral("Aviso"), MsgKind::Warning, {}), MsgButton::Ok);
    EXPECT_FALSE(ui.search(ds));
    EXPECT_FALSE(ui.chooseRow(source, QStringLiteral("Marcas"), QStringLiteral("Nada")));
    EXPECT_FALSE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(selection, QStringLiteral(R"(["00001"])"));
    EXPECT_EQ(ui.messages().at(1).buttons, MsgButtons{MsgButton::Ok});
}

TEST(ScriptedHostUi, AnswersInScriptOrderAndKeepsMismatchesQueued)
{
    ScriptedHostUi ui;
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    load(ds, 4);
    TDataSource source(QStringLiteral("dtsMarca"), &ds);

    ui.answerRow(3);
    ui.answerButton(MsgButton::No);
    // A message asked while a row answer leads: the default answers, the row stays queued.
    EXPECT_EQ(ui.message(QStringLiteral("Q1"), MsgKind::Confirmation, yesNo), MsgButton::Yes);
    EXPECT_EQ(ui.pendingAnswers(), 2);
    EXPECT_TRUE(ui.chooseRow(source, QStringLiteral("Marcas"), QString()));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ui.message(QStringLiteral("Q2"), MsgKind::Confirmation, yesNo), MsgButton::No);

    // A button the box does not offer is a mismatch too.
    ui.answerButton(MsgButton::Cancel);
    EXPECT_EQ(ui.message(QStringLiteral("Q3"), MsgKind::Confirmation, yesNo), MsgButton::Yes);
    EXPECT_EQ(ui.pendingAnswers(), 1);
    ui.clear();
    EXPECT_EQ(ui.pendingAnswers(), 0);
    EXPECT_TRUE(ui.messages().isEmpty());

    // Rows outside the list are used up and cancel, the record stays.
    ui.answerRow(9);
    ui.answerRow(0);
    EXPECT_FALSE(ui.search(ds));
    EXPECT_FALSE(ui.search(ds));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ui.pendingAnswers(), 0);

    ui.answerCancel();
    ui.answerMarks({QStringLiteral("00002"), QStringLiteral("00004")});
    QString selection;
    EXPECT_FALSE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_TRUE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(selection, QStringLiteral(R"(["00002","00004"])"));
    ui.answerMarks({});
    EXPECT_TRUE(ui.markRows(source, QStringLiteral("CDMARCA"), QString(), false, selection));
    EXPECT_EQ(selection, QString());
}

TEST(ScriptedHostUi, RecordsWhatWasShown)
{
    ScriptedHostUi ui;
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    load(ds, 0);
    TDataSource source(QStringLiteral("dtsMarca"), &ds);
    TDataSource unbound(QStringLiteral("dtsNone"));

    ui.beginProgress(nullptr, 6, QStringLiteral("Verificando dados no servidor..."));
    EXPECT_TRUE(ui.progressShown());
    ui.endProgress();
    ui.endProgress(); // an unmatched end does not go below zero
    EXPECT_FALSE(ui.progressShown());
    EXPECT_EQ(ui.progressDepth(), 0);
    ui.unexpectedError(QStringLiteral("boom"));
    ui.answerRow(1);
    EXPECT_FALSE(
        ui.chooseRow(source, QStringLiteral("Marcas"), QStringLiteral("Não há marca cadastrada.")));
    EXPECT_FALSE(ui.chooseRow(unbound, QStringLiteral("x"), QString()));
    QString selection = QStringLiteral(R"(["1"])");
    ui.markRows(source, QStringLiteral("CDMARCA"), QStringLiteral("Marcas"), true, selection);

    ASSERT_EQ(ui.progress().size(), 3);
    EXPECT_EQ(ui.progress().at(0).kind, 6);
    EXPECT_EQ(ui.progress().at(0).text, QStringLiteral("Verificando dados no servidor..."));
    EXPECT_EQ(ui.errors(), QStringList{QStringLiteral("boom")});
    ASSERT_EQ(ui.lists().size(), 3);
    const auto &chosen = ui.lists().at(0);
    EXPECT_EQ(chosen.sort, ScriptedHostUi::ListRequest::Sort::ChooseRow);
    EXPECT_EQ(chosen.name, QStringLiteral("dtsMarca"));
    EXPECT_EQ(chosen.emptyText, QStringLiteral("Não há marca cadastrada."));
    EXPECT_EQ(chosen.rowCount, 0);
    EXPECT_FALSE(chosen.accepted);
    const auto &marks = ui.lists().at(2);
    EXPECT_EQ(marks.keyField, QStringLiteral("CDMARCA"));
    EXPECT_TRUE(marks.flag);
    EXPECT_EQ(marks.selectionIn, QStringLiteral(R"(["1"])"));
}
