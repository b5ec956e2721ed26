#include "support/behaviour_screen.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <services/HostServices.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TRadioGroup.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QMap>
#include <QRadioButton>
#include <QTest>

using behaviour::ScreenTest;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

namespace {

// One replication dimension as the screen shows it, in the screen's order.
struct Dimension {
    const char *group;
    const char *button;
    const char *list;
    const char *keyField;
    QString *selection;
    const char *missing; // the message of a "Lista" without a pick
};

const Dimension dimensions[] = {
    {"rdgProduto", "sbtPesqProduto", "dtsPesqProd", "CDPRODUTO", &Cli_Ngc27451::stPesqProduto,
     "Produto deve ser informado."},
    {"rdgMarca", "sbtPesqMarca", "dtsPesqMarcaDesc", "CDMARCA", &Cli_Ngc27451::stPesqMarca,
     "Marca deve ser informada."},
    {"rdgRegiao", "sbtPesqRegiao", "dtsPesqReg", "CDREGIAO", &Cli_Ngc27451::stPesqRegiao,
     "Região deve ser informada."},
    {"rdgFornecedor", "sbtPesqFornecedor", "dtsPesqForn", "CDFORNECED", &Cli_Ngc27451::stPesqForn,
     "Fornecedor deve ser informado."},
};
enum { produto, marca, regiao, fornecedor };

} // namespace

class ReplicationTest : public ScreenTest {
protected:
    ngc::TRadioGroup *group(int dimension) const
    {
        return screen->findChild<ngc::TRadioGroup *>(QLatin1String(dimensions[dimension].group));
    }
    ngc::TButtonFlat *button(int dimension) const
    {
        return screen->findChild<ngc::TButtonFlat *>(QLatin1String(dimensions[dimension].button));
    }
    // Picks a choice as the buyer does; "Lista" with keys also picks them from its list.
    void choose(int dimension, int index, const QStringList &keys = {})
    {
        group(dimension)->Button(index)->click();
        if (!keys.isEmpty()) {
            ui.answerMarks(keys);
            click(button(dimension));
        }
    }
    // Opens the demo item with replication switched on and a discount typed.
    Cli_Ngc27451::TfrmInfoPlanNeg &openReplicating(const char *discount)
    {
        if (screen)
            screen->hide();
        auto &form = open();
        click(component<QCheckBox>(form, "chkDesconto"));
        type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QString::fromLatin1(discount));
        return form;
    }
    // Every item of the demo collection and its discount, as the server holds them.
    QMap<QString, QVariant> discounts()
    {
        QMap<QString, QVariant> stored;
        behaviour::LaunchKeys keys = behaviour::demoItem();
        for (const char *product : {"1001", "1002", "1003"})
            for (const char *brand : {"00001", "00002"})
                for (const char *supplier : {"1001", "1002", "1003"})
                    for (const char *region : {"001", "002"}) {
                        keys.cdProduto = QLatin1String(product);
                        keys.cdMarca = QLatin1String(brand);
                        keys.cdForneced = QLatin1String(supplier);
                        keys.cdRegiao = QLatin1String(region);
                        stored.insert(
                            QStringList{keys.cdProduto, keys.cdMarca, keys.cdForneced,
                                        keys.cdRegiao}
                                .join(u'/'),
                            behaviour::valueOf(server().item(keys), QStringLiteral("VRPERDESITM")));
                    }
        return stored;
    }
};

// Switching replication on reads the four lists once, into product, region, supplier and brand
// in that order, and opens the group with every search button still closed; switching it off
// puts every group back on "Mesmo" and drops the picks. A failed read leaves the box on, the
// group open and the lists as they were.
TEST_F(ReplicationTest, SwitchingOnReadsTheListsAndOffDropsEveryChoice)
{
    auto &form = open();
    auto *chkDesconto = component<QCheckBox>(form, "chkDesconto");
    ngc::TClientDataSet &cdsPesqForn = dataSet(form, "cdsPesqForn");
    auto *grbDesconto = component<QGroupBox>(form, "grbDesconto");
    recorder.clear();
    click(chkDesconto);
    EXPECT_EQ(recorder.methods(), QStringList{QStringLiteral("GetDescPesq")});
    EXPECT_EQ(recorder.last(QStringLiteral("GetDescPesq")).args,
              QJsonArray({QStringLiteral("0001"), QStringLiteral("2026000001")}));
    EXPECT_EQ(dataSet(form, "cdsPesqProd").RecordCount(), 3);
    EXPECT_EQ(dataSet(form, "cdsPesqReg").RecordCount(), 2);
    EXPECT_EQ(cdsPesqForn.RecordCount(), 3);
    EXPECT_EQ(dataSet(form, "cdsPesqMarcaDesc").RecordCount(), 2);
    EXPECT_TRUE(grbDesconto->isEnabled());
    for (int d = produto; d <= fornecedor; ++d) {
        EXPECT_TRUE(group(d)->isEnabled());
        EXPECT_FALSE(button(d)->isEnabled());
    }
    ASSERT_EQ(ui.progress().size(), 2);
    EXPECT_EQ(ui.progress().first().kind, 6);
    expectProgressBalanced();
    // The supplier list shows the registration number in its person type's mask.
    const ngc::TField &number = cdsPesqForn.FieldByName(QStringLiteral("NRINSJURFORN"));
    cdsPesqForn.First();
    EXPECT_EQ(number.AsString(), QStringLiteral("12345678000195"));
    EXPECT_EQ(number.DisplayText(), QStringLiteral("12.345.678/0001-95"));

    choose(marca, 2, {QStringLiteral("00002")});
    ASSERT_FALSE(Cli_Ngc27451::stPesqMarca.isEmpty());
    click(chkDesconto);
    EXPECT_FALSE(grbDesconto->isEnabled());
    EXPECT_EQ(group(marca)->ItemIndex(), 0);
    EXPECT_FALSE(button(marca)->isEnabled());
    EXPECT_TRUE(Cli_Ngc27451::stPesqMarca.isEmpty());

    server().kill();
    click(chkDesconto);
    EXPECT_EQ(ui.errors().size(), 1);
    EXPECT_TRUE(chkDesconto->isChecked());
    EXPECT_TRUE(grbDesconto->isEnabled());
    EXPECT_EQ(dataSet(form, "cdsPesqProd").RecordCount(), 3);
    EXPECT_EQ(group(marca)->ItemIndex(), 0);
    expectProgressBalanced();
}

// A group's search button is open exactly while the group is at "Lista"; a pick survives only as
// long as the group stays there. The list is picked by its key field, which for products and
// suppliers is not the code shown, and F4 on the group opens it too.
TEST_F(ReplicationTest, ListsArePickedByTheirKeyFieldWhileTheGroupIsAtLista)
{
    auto &form = open();
    click(component<QCheckBox>(form, "chkDesconto"));
    const QStringList picks[] = {{QStringLiteral("1002"), QStringLiteral("1003")},
                                 {QStringLiteral("00002")},
                                 {QStringLiteral("002")},
                                 {QStringLiteral("1003")}};
    for (int d = produto; d <= fornecedor; ++d) {
        SCOPED_TRACE(dimensions[d].group);
        ui.clear();
        choose(d, 2, picks[d]);
        EXPECT_TRUE(button(d)->isEnabled());
        ASSERT_EQ(ui.lists().size(), 1);
        EXPECT_EQ(ui.lists().first().name, QLatin1String(dimensions[d].list));
        EXPECT_EQ(ui.lists().first().keyField, QLatin1String(dimensions[d].keyField));
        EXPECT_FALSE(ui.lists().first().flag);
        EXPECT_EQ(*dimensions[d].selection, ngc::selectionFromKeys(picks[d]));

        choose(d, 1);
        EXPECT_FALSE(button(d)->isEnabled());
        EXPECT_TRUE(dimensions[d].selection->isEmpty());
        choose(d, 2);
        EXPECT_TRUE(button(d)->isEnabled());
        EXPECT_TRUE(dimensions[d].selection->isEmpty()) << "the pick is not back";
    }

    ui.clear();
    ui.answerCancel();
    group(regiao)->Button(2)->setFocus();
    QTest::keyClick(group(regiao)->Button(2), Qt::Key_F4);
    ASSERT_EQ(ui.lists().size(), 1);
    EXPECT_EQ(ui.lists().first().name, QStringLiteral("dtsPesqReg"));
}

// With replication on, a "Lista" without a pick stops the save; only the first such dimension in
// the screen's order is reported, on its own page and group, even from the payment page.
TEST_F(ReplicationTest, ListaWithoutAPickStopsTheSaveAtTheFirstSuchDimension)
{
    const struct {
        QList<int> atLista;
        int reported;
    } rows[] = {{{produto, regiao}, produto},
                {{regiao, marca}, marca},
                {{fornecedor, regiao}, regiao},
                {{fornecedor}, fornecedor}};
    for (const auto &row : rows) {
        SCOPED_TRACE(dimensions[row.reported].group);
        auto &form = openReplicating("7");
        for (int d : row.atLista)
            choose(d, 2);
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        ui.clear();
        recorder.clear();
        click(form.sbtConfirmar);
        EXPECT_EQ(ui.messageTexts(),
                  QStringList{QString::fromUtf8(dimensions[row.reported].missing)});
        EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshDados"));
        EXPECT_EQ(form.ActiveControl(), group(row.reported));
        EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
    }
}

// Every save hands the choices over in the order product, region, supplier, brand, the picks
// with them; with replication off every group is at "Mesmo" and nothing is picked.
TEST_F(ReplicationTest, ChoicesReachTheSaveInTheServersOrder)
{
    const struct {
        bool on;
        int indexes[4]; // in the screen's order
        QStringList picks[4];
        QJsonArray sent; // arguments 5 to 12
    } rows[] = {
        {false, {0, 0, 0, 0}, {}, QJsonArray{0, 0, 0, 0, "", "", "", ""}},
        {true, {1, 0, 1, 0}, {}, QJsonArray{1, 1, 0, 0, "", "", "", ""}},
        {true,
         {2, 2, 2, 2},
         {{QStringLiteral("1002")},
          {QStringLiteral("00002")},
          {QStringLiteral("002")},
          {QStringLiteral("1003")}},
         QJsonArray{2, 2, 2, 2, R"(["1002"])", R"(["002"])", R"(["1003"])", R"(["00002"])"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.on);
        if (screen)
            screen->hide();
        auto &form = open();
        if (row.on)
            click(component<QCheckBox>(form, "chkDesconto"));
        for (int d = produto; d <= fornecedor; ++d) {
            if (row.indexes[d] > 0)
                choose(d, row.indexes[d], row.picks[d]);
        }
        type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"),
             QString::number(6 + (&row - rows))); // a change every time
        recorder.clear();
        click(form.sbtConfirmar);
        const QJsonArray args = recorder.last(QStringLiteral("SetItemCole")).args;
        ASSERT_EQ(args.size(), 12);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(args.at(4 + i), row.sent.at(i)) << "argument " << 5 + i;
        EXPECT_FALSE(form.isVisible()) << ui.messageTexts().join(u'|').toStdString();
    }
}

// A discount replicated by picks reaches exactly the picked items of the collection, with the
// item itself; nothing else changes.
TEST_F(ReplicationTest, PickedItemsAndOnlyThoseGetTheDiscount)
{
    const QMap<QString, QVariant> before = discounts();
    auto &form = openReplicating("12");
    choose(produto, 2, {QStringLiteral("1002")});
    choose(regiao, 1);
    choose(fornecedor, 2, {QStringLiteral("1001"), QStringLiteral("1003")});
    click(form.sbtConfirmar);
    ASSERT_FALSE(form.isVisible()) << ui.messageTexts().join(u'|').toStdString();

    QMap<QString, QVariant> expected = before;
    expected[QStringLiteral("1001/00001/1001/001")] = 12.0;
    for (const char *supplier : {"1001", "1003"})
        for (const char *region : {"001", "002"})
            expected[QStringLiteral("1002/00001/%1/%2")
                         .arg(QLatin1String(supplier), QLatin1String(region))] = 12.0;
    EXPECT_EQ(discounts(), expected);
}

// A save the server refuses or cannot finish, with replication on, changes no item at all: not
// the item itself, not one of those the discount would have reached. The screen stays open with
// the change still to be sent.
TEST_F(ReplicationTest, FailedSaveLeavesEveryItemUnchanged)
{
    const struct {
        const char *cause;
        QString sql;
    } rows[] = {
        {"another buyer saved the item first",
         QStringLiteral("UPDATE ITEMCOLE SET VRPERDESITM = 7") + behaviour::demoWhere()},
        {"the database fails in the middle of the replication",
         QStringLiteral("CREATE TRIGGER block_replication BEFORE UPDATE OF VRPERDESITM ON ITEMCOLE "
                        "WHEN NEW.CDPRODUTO = '1003' BEGIN SELECT RAISE(ABORT, 'bloqueado'); "
                        "END")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.cause);
        auto &form = openReplicating("33");
        for (int d = produto; d <= fornecedor; ++d)
            choose(d, 1);
        server().exec(row.sql);
        const QMap<QString, QVariant> before = discounts();
        ui.clear();
        click(form.sbtConfirmar);
        settle();

        EXPECT_FALSE(recorder.last(QStringLiteral("SetItemCole")).ok && ui.messages().isEmpty() &&
                     ui.errors().isEmpty());
        EXPECT_EQ(ui.messages().size() + ui.errors().size(), 1);
        EXPECT_TRUE(form.isVisible());
        EXPECT_GT(dataSet(form, "cdsItemCole").ChangeCount(), 0);
        expectProgressBalanced();
        EXPECT_EQ(discounts(), before);
        server().exec(QStringLiteral("DROP TRIGGER IF EXISTS block_replication"));
    }
}
