#include "support/behaviour_screen.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <net/CheckResultServ.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QRadioButton>
#include <QTest>

using behaviour::ScreenTest;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

namespace {

// The checks a save of the demo item runs on the server before sending it: its second brand
// (allowed for its brand key, then not rejected) and its charge type.
const QStringList demoChecks = {QStringLiteral("GetPesqMarca"), QStringLiteral("GetMarcaAutoriz"),
                                QStringLiteral("GetTipoCobr")};
// Then, for its registered payment form, the server's sum of the instalments (no progress
// window).
const QStringList scheduleSum = {QStringLiteral("GetSomaPerc")};

// The value of a field in the new row of the first change of an encoded delta.
QJsonValue newValue(const QJsonValue &delta, const QString &field)
{
    const QJsonArray fields = delta[QLatin1String("fields")].toArray();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i)[QLatin1String("name")].toString() == field)
            return delta[QLatin1String("changes")][0][QLatin1String("new")][i];
    }
    return QJsonValue::Undefined;
}

} // namespace

class SavingTest : public ScreenTest {
protected:
    // Another buyer saves a discount for the demo item through a connection of their own.
    void otherBuyerSavesDiscount(double discount)
    {
        const ngc::DataPacket item = server().item(behaviour::demoItem());
        ngc::DeltaPacket delta{item.fields, {}};
        ngc::Row changed = item.rows.first();
        for (int i = 0; i < item.fields.size(); ++i) {
            if (item.fields.at(i).name == QLatin1String("VRPERDESITM"))
                changed[i] = discount;
        }
        delta.changes.append({ngc::DeltaChange::Op::Update, item.rows.first(), changed});
        QJsonValue nulls;
        QString key = QStringLiteral("CC01");
        QString none;
        QString none2;
        QString none3;
        QString none4;
        server().call(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), QStringLiteral("SetItemCole"),
                      {ngc::RemoteArg::variant(ngc::encodeDelta(delta)),
                       ngc::RemoteArg::variantRef(&nulls), ngc::RemoteArg::boolean(false),
                       ngc::RemoteArg::stringRef(&key), ngc::RemoteArg::integer(0),
                       ngc::RemoteArg::integer(0), ngc::RemoteArg::integer(0),
                       ngc::RemoteArg::integer(0), ngc::RemoteArg::stringRef(&none),
                       ngc::RemoteArg::stringRef(&none2), ngc::RemoteArg::stringRef(&none3),
                       ngc::RemoteArg::stringRef(&none4)});
    }

    double storedDiscount()
    {
        return behaviour::valueOf(server().item(behaviour::demoItem()),
                                  QStringLiteral("VRPERDESITM"))
            .toDouble();
    }
};

// The buyer types a discount and confirms: the collection is checked, the change goes out with
// its twelve arguments, the taxes are re-read because the discount changed, and the screen
// closes.
TEST_F(SavingTest, ConfirmSendsTheChangeAndClosesTheScreen)
{
    auto &form = open();
    recorder.clear();
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("7"));
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
    click(form.sbtConfirmar);
    settle();

    EXPECT_EQ(recorder.methods(),
              QStringList{QStringLiteral("GetVerif_ColeApr")} + demoChecks + scheduleSum +
                  QStringList({QStringLiteral("SetItemCole"), QStringLiteral("GetImpFilial")}));
    EXPECT_EQ(recorder.calls().at(0).args, behaviour::strings({"0001", "2026000001"}));
    const QJsonArray args = recorder.last(QStringLiteral("SetItemCole")).args;
    ASSERT_EQ(args.size(), 12);
    EXPECT_EQ(args[0][QLatin1String("changes")].toArray().size(), 1);
    EXPECT_EQ(args[0][QLatin1String("changes")][0][QLatin1String("op")].toString(),
              QStringLiteral("update"));
    EXPECT_EQ(newValue(args[0], QStringLiteral("VRPERDESITM")).toDouble(), 7.0);
    EXPECT_EQ(args[1],
              behaviour::strings({"NRPARCPGTCOL", "NRDIAPGFXCOL", "IDUTDIAPGCOL", "IDTIPFREITM"}));
    EXPECT_EQ(args[2], QJsonValue(false));
    EXPECT_EQ(args[3], QJsonValue(QStringLiteral("CC01")));
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(args[i], QJsonValue(0)) << i;
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(args[i], QJsonValue(QString())) << i;

    // One window per call that shows one: the collection check, each of the checks, the save.
    ASSERT_EQ(ui.progress().size(), 2 * (2 + demoChecks.size()));
    EXPECT_EQ(ui.progress().first().kind, 6);
    EXPECT_EQ(ui.progress().first().text, QStringLiteral("Verificando dados no servidor..."));
    EXPECT_EQ(ui.progress().at(2).kind, 6);
    EXPECT_EQ(ui.progress().at(2).text, QString());
    EXPECT_EQ(ui.progress().at(ui.progress().size() - 2).kind, 1);
    EXPECT_EQ(ui.progress().at(ui.progress().size() - 2).text,
              QStringLiteral("Atualizando dados no servidor..."));
    expectProgressBalanced();

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dataSet(form, "cdsItemCole").ChangeCount(), 0);
    EXPECT_EQ(storedDiscount(), 7.0);
}

// The null-field list names, in field order, every field left empty; with none it is null.
TEST_F(SavingTest, NullFieldListNamesTheEmptyFieldsInFieldOrder)
{
    {
        auto &form = open();
        type(component<ngc::TDBEdit>(form, "dbeCdSegMarca"), QString());
        QTest::keyClick(component<ngc::TDBEdit>(form, "dbeCdSegMarca"), Qt::Key_Backspace);
        ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        click(form.sbtConfirmar);
        EXPECT_EQ(recorder.last(QStringLiteral("SetItemCole")).args[1],
                  behaviour::strings({"NRPARCPGTCOL", "NRDIAPGFXCOL", "IDUTDIAPGCOL", "IDTIPFREITM",
                                      "CDSEGMARCCOL", "NMMARCA"}));
        EXPECT_TRUE(
            behaviour::valueOf(server().item(behaviour::demoItem()), QStringLiteral("CDSEGMARCCOL"))
                .isNull());
        // Only the discount decides whether the taxes are read again.
        EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 1);
    }
    server().exec(QStringLiteral("UPDATE ITEMCOLE SET IDTPFOPGTCOL = 'F', NRPARCPGTCOL = 2, "
                                 "NRDIAPGFXCOL = 5, IDUTDIAPGCOL = 'E', IDTIPFREITM = 'C', "
                                 "CDSEGMARCCOL = '00003'") +
                  behaviour::demoWhere());
    recorder.clear();
    auto &form = open();
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("6"));
    click(form.sbtConfirmar);
    const ngc::CallTrace save = recorder.last(QStringLiteral("SetItemCole"));
    EXPECT_TRUE(save.args[1].isNull()) << save.args[1].toString().toStdString();
    EXPECT_TRUE(save.ok) << save.error.toStdString();
}

// Nothing changed: nothing is sent and the taxes are not read, though a registered form's
// schedule is still checked with the server's sum; the instalments on the server are deleted
// only when the payment page is in front and no registered form is chosen.
TEST_F(SavingTest, ConfirmWithoutChangeSendsNothing)
{
    struct Row {
        bool paymentPage;
        int paymentForm; // drgFormPgto item the buyer picks; -1 keeps the stored one
        QStringList calls;
    };
    const QStringList checked = QStringList{QStringLiteral("GetVerif_ColeApr")} + demoChecks;
    const Row rows[] = {
        {false, -1, checked + scheduleSum},
        {true, -1, checked + scheduleSum},
        {false, 0, checked + QStringList{QStringLiteral("SetItemCole")}},
        // Last: it deletes the stored instalments the rows above start from.
        {true, 1,
         checked + QStringList{QStringLiteral("SetItemCole"), QStringLiteral("DeletaPrazoPg")}},
    };
    for (const Row &row : rows) {
        auto &form = open();
        if (row.paymentPage)
            component<QAction>(form, "mnuFormaPagamento")->trigger();
        focus(component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
        click(form.sbtAlterar);
        if (row.paymentForm >= 0)
            component<ngc::TDBRadioGroup>(form, "drgFormPgto")->Button(row.paymentForm)->click();
        ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        recorder.clear();
        click(form.sbtConfirmar);
        EXPECT_EQ(recorder.methods(), row.calls) << row.paymentPage << " " << row.paymentForm;
        const bool deleted = row.calls.contains(QStringLiteral("DeletaPrazoPg"));
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").IsEmpty(), deleted)
            << row.paymentPage << " " << row.paymentForm;
        screen->hide();
    }
}

// A new item (none stored under these keys) is inserted with the launch keys; its discount
// counts as changed from 0, so the taxes are read again.
TEST_F(SavingTest, NewItemTakesTheLaunchKeys)
{
    behaviour::LaunchKeys keys = behaviour::demoItem();
    keys.cdForneced = QStringLiteral("1002");
    keys.cdRegiao = QStringLiteral("003");
    auto &form = open(keys);
    ASSERT_TRUE(dataSet(form, "cdsItemCole").IsEmpty());
    click(form.sbtAlterar);
    ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Insert);
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("5"));
    recorder.clear();
    click(form.sbtConfirmar);

    const ngc::CallTrace save = recorder.last(QStringLiteral("SetItemCole"));
    EXPECT_EQ(save.args[0][QLatin1String("changes")][0][QLatin1String("op")].toString(),
              QStringLiteral("insert"));
    for (const auto &[field, value] : {std::pair{"CDFILIAL", "0001"},
                                       {"NRCOLEPRECO", "2026000001"},
                                       {"CDPRODUTO", "1001"},
                                       {"CDMARCA", "00001"},
                                       {"CDFORNECED", "1002"},
                                       {"CDREGIAO", "003"}})
        EXPECT_EQ(newValue(save.args[0], QString::fromLatin1(field)).toString(),
                  QString::fromLatin1(value))
            << field;
    EXPECT_TRUE(newValue(save.args[0], QStringLiteral("CDARVPROD")).isNull());
    EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 1);
    if (save.ok)
        EXPECT_EQ(behaviour::valueOf(server().item(keys), QStringLiteral("VRPERDESITM")), 5.0);
    else
        ADD_FAILURE() << "the server refused the new item: "
                      << ui.messageTexts().join(u'|').toStdString();
}

// Two buyers on one item: the later save gets the server's message, nothing of the first
// buyer's save is overwritten, the screen stays open with the buyer's values, Confirmar sends
// the change again rather than dropping it, and Verificar shows what the server holds.
TEST_F(SavingTest, LostUpdateKeepsTheBuyersValuesAndVerificarRereads)
{
    auto &form = open();
    auto *dbeVrPerDesItm = component<ngc::TDBEdit>(form, "dbeVrPerDesItm");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    otherBuyerSavesDiscount(7.0);

    type(dbeVrPerDesItm, QStringLiteral("9"));
    recorder.clear();
    click(form.sbtConfirmar);
    settle();

    EXPECT_EQ(recorder.methods(), QStringList{QStringLiteral("GetVerif_ColeApr")} + demoChecks +
                                      scheduleSum + QStringList{QStringLiteral("SetItemCole")});
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages().first().text,
              QStringLiteral("O item foi alterado por outro usuário. Verifique os dados e tente "
                             "novamente."));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Browse);
    EXPECT_GT(cdsItemCole.ChangeCount(), 0);
    EXPECT_EQ(dbeVrPerDesItm->text(), QStringLiteral("9.00"));
    expectProgressBalanced();
    EXPECT_EQ(storedDiscount(), 7.0);

    // Editing again and confirming sends the refused change again, together with the new one.
    type(dbeVrPerDesItm, QStringLiteral("9.5"));
    click(form.sbtConfirmar);
    settle();
    EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 2);
    EXPECT_EQ(ui.messages().size(), 2);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(storedDiscount(), 7.0);

    // With no control focused Verificar re-reads the item: the other buyer's discount shows and
    // the refused change is gone.
    form.focusWidget()->clearFocus();
    click(form.sbtVerificar);
    EXPECT_EQ(cdsItemCole.ChangeCount(), 0);
    EXPECT_EQ(dbeVrPerDesItm->text(), QStringLiteral("7.00"));

    type(dbeVrPerDesItm, QStringLiteral("9"));
    click(form.sbtConfirmar);
    settle();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(storedDiscount(), 9.0);
    expectProgressBalanced();
}

// A save the server could not take is sent again with the next one; the taxes are then read
// again because the discount the server held has changed, although this last edit did not
// touch it.
TEST_F(SavingTest, ResentDiscountChangeRereadsTheTaxes)
{
    auto &form = open();
    server().exec(QStringLiteral("CREATE TRIGGER block_item BEFORE UPDATE ON ITEMCOLE "
                                 "BEGIN SELECT RAISE(ABORT, 'bloqueado'); END"));
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("8"));
    click(form.sbtConfirmar);
    ASSERT_FALSE(recorder.last(QStringLiteral("SetItemCole")).ok && ui.messages().isEmpty() &&
                 ui.errors().isEmpty());
    ASSERT_TRUE(form.isVisible());
    ASSERT_GT(dataSet(form, "cdsItemCole").ChangeCount(), 0);
    expectProgressBalanced();

    server().exec(QStringLiteral("DROP TRIGGER block_item"));
    recorder.clear();
    type(component<ngc::TDBEdit>(form, "dbeValorFrete"), QStringLiteral("99"));
    click(form.sbtConfirmar);
    settle();
    EXPECT_EQ(recorder.methods(),
              QStringList{QStringLiteral("GetVerif_ColeApr")} + demoChecks + scheduleSum +
                  QStringList({QStringLiteral("SetItemCole"), QStringLiteral("GetImpFilial")}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(storedDiscount(), 8.0);
}

TEST_F(SavingTest, ClosedCollectionShowsTheErrorClosesTheScreenAndSendsNothing)
{
    auto &form = open(behaviour::closedCollectionItem());
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("9"));
    recorder.clear();
    click(form.sbtConfirmar);
    EXPECT_EQ(recorder.methods(), QStringList({QStringLiteral("GetVerif_ColeApr")}));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages().first().text,
              QStringLiteral("Ocorreu um erro durante a confirmação das informações na planilha."));
    EXPECT_EQ(ui.messages().first().kind, ngc::MsgKind::Error);
    expectProgressBalanced();
    settle();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dataSet(form, "cdsItemCole").ChangeCount(), 0);
}

// The server going away: the error is shown, the progress window is gone, the screen stays
// open with the record as the buyer left it.
TEST_F(SavingTest, ServerFailureDuringTheCheckKeepsTheEdit)
{
    auto &form = open();
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("9"));
    server().kill();
    click(form.sbtConfirmar);
    settle();
    EXPECT_EQ(ui.errors().size(), 1);
    expectProgressBalanced();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
    EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
}

// Cancelling puts the record's values back into the unbound controls and takes the focus off
// the discount value.
TEST_F(SavingTest, CancelRestoresTheSpinEditsAndTheFocus)
{
    auto &form = open();
    click(form.sbtAlterar);
    component<ngc::TSpinEdit>(form, "spePrEntr")->SetText(QStringLiteral("30"));
    focus(component<ngc::TNumberEdit>(form, "nedValorDesc"));
    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtCancelar);
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "spePrEntr")->Text(), QStringLiteral("15"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), QString());
    EXPECT_EQ(form.ActiveControl(), component<ngc::TDBEdit>(form, "dbeVrPerDesItm"));

    click(form.sbtAlterar);
    form.focusWidget()->clearFocus();
    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtCancelar);
    EXPECT_EQ(form.ActiveControl(), component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
}
