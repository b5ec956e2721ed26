#include "support/behaviour_screen.h"

#include <widgets/TBtnPesquisa.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QJsonArray>
#include <QTest>

using behaviour::ScreenTest;
using behaviour::strings;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

class LookupsTest : public ScreenTest {
protected:
    // Types a code and leaves the edit for the freight value, as a buyer tabbing on.
    void typeAndLeave(ngc::TDBEdit *edit, const char *code)
    {
        type(edit, QString::fromLatin1(code));
        component<ngc::TDBEdit>(*screen, "dbeValorFrete")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QString itemText(const char *field)
    {
        return dataSet(*screen, "cdsItemCole").FieldByName(QLatin1String(field)).AsString();
    }
    // Brands looked up among every registered brand ("S") or the product's ("N").
    void brandSource(const char *idProSemMar)
    {
        server().exec(
            QStringLiteral("UPDATE PARASUPRI SET IDPROSEMMAR = ? WHERE CDFILIAL = '0001'"),
            {QString::fromLatin1(idProSemMar)});
    }
};

// A code typed with fewer digits is stored, and asked for, in its stored width; a code the
// server does not know is reported and the buyer is put back on it.
TEST_F(LookupsTest, ChargeTypeIsAdjustedAndChecked)
{
    const struct {
        const char *typed;
        const char *stored;
        const char *name; // empty: refused
    } rows[] = {{"1", "01", "Boleto bancário"},
                {"3", "03", "Carteira"},
                {"9", "09", ""},
                {"02", "02", "Depósito em conta"}};
    auto &form = open();
    auto *dbeCdTipCob = component<ngc::TDBEdit>(form, "dbeCdTipCob");
    auto *dbeValorFrete = component<ngc::TDBEdit>(form, "dbeValorFrete");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        ui.clear();
        recorder.clear();
        type(dbeCdTipCob, QString::fromLatin1(row.typed));
        EXPECT_TRUE(dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("NMTIPOCOBR")).IsNull())
            << "the name of the code being typed is dropped";
        dbeValorFrete->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();

        EXPECT_EQ(itemText("CDTIPCOB"), QString::fromLatin1(row.stored));
        EXPECT_EQ(recorder.methods(), QStringList{QStringLiteral("GetTipoCobr")});
        EXPECT_EQ(recorder.last(QStringLiteral("GetTipoCobr")).args, strings({row.stored, ""}));
        const bool refused = *row.name == '\0';
        EXPECT_EQ(ui.messageTexts(),
                  refused ? QStringList{QStringLiteral("Tipo de cobrança não cadastrada.")}
                          : QStringList());
        EXPECT_EQ(itemText("NMTIPOCOBR"), QString::fromUtf8(row.name));
        EXPECT_EQ(form.ActiveControl(), refused ? dbeCdTipCob : dbeValorFrete);
        EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshDados"));
        ASSERT_EQ(ui.progress().size(), 2);
        EXPECT_EQ(ui.progress().first().kind, 6);
        expectProgressBalanced();
    }

    // An empty code is never looked up.
    recorder.clear();
    type(dbeCdTipCob, QString());
    QTest::keyClick(dbeCdTipCob, Qt::Key_Backspace);
    dbeValorFrete->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(recorder.methods().isEmpty());
}

// The steps of the second brand's check, each refusing with its own message in this order:
// registered in the shared database, allowed for the brand key (unless every brand may be
// chosen), not the item's own brand, not rejected or expired for the product at the branch.
TEST_F(LookupsTest, SecondBrandChecksRunInTheirOrder)
{
    const QString notRegistered = QStringLiteral("Marca não cadastrada.");
    const QString notForProduct = QStringLiteral("Marca não cadastrada para o produto.");
    const QString sameBrand = QStringLiteral("Marca e 2ª marca devem ser diferentes.");
    const QString rejected = QStringLiteral("Marca reprovada ou com validade vencida.");
    const struct {
        const char *source; // IDPROSEMMAR
        const char *typed;
        const char *stored;
        QString message; // empty: accepted
        QStringList calls;
        const char *name; // the name the shared database gave, if it was reached
    } rows[] = {
        {"N", "99", "00099", notRegistered, {}, ""},
        {"N", "6", "00006", notForProduct, {QStringLiteral("GetPesqMarca")}, "Dona Clara"},
        {"N", "1", "00001", sameBrand, {QStringLiteral("GetPesqMarca")}, "Boa Safra"},
        {"N",
         "4",
         "00004",
         rejected,
         {QStringLiteral("GetPesqMarca"), QStringLiteral("GetMarcaAutoriz")},
         "Grão Nobre"},
        {"N",
         "5",
         "00005",
         rejected,
         {QStringLiteral("GetPesqMarca"), QStringLiteral("GetMarcaAutoriz")},
         "Vale Dourado"},
        {"N",
         "3",
         "00003",
         {},
         {QStringLiteral("GetPesqMarca"), QStringLiteral("GetMarcaAutoriz")},
         "Sabor do Sul"},
        {"S", "99", "00099", notRegistered, {}, ""},
        {"S", "6", "00006", {}, {QStringLiteral("GetMarcaAutoriz")}, "Dona Clara"},
        {"S", "1", "00001", sameBrand, {}, "Boa Safra"},
        {"S", "4", "00004", rejected, {QStringLiteral("GetMarcaAutoriz")}, "Grão Nobre"},
    };
    // The item's own brand is allowed for its key, so only the comparison can refuse it.
    server().exec(QStringLiteral("INSERT INTO CHAVEMARCA (CDCHAVEMARCA, CDMARCA) "
                                 "VALUES ('CM01', '00001')"));
    QString source;
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.source) + " " + row.typed);
        if (source != QLatin1String(row.source)) {
            source = QLatin1String(row.source);
            if (screen)
                screen->hide();
            brandSource(row.source);
            open();
        }
        ui.clear();
        recorder.clear();
        typeAndLeave(component<ngc::TDBEdit>(*screen, "dbeCdSegMarca"), row.typed);

        EXPECT_EQ(itemText("CDSEGMARCCOL"), QString::fromLatin1(row.stored));
        EXPECT_EQ(recorder.methods(), row.calls);
        if (row.calls.contains(QStringLiteral("GetPesqMarca"))) {
            EXPECT_EQ(recorder.last(QStringLiteral("GetPesqMarca")).args,
                      strings({"CM01", row.stored, ""}));
        }
        if (row.calls.contains(QStringLiteral("GetMarcaAutoriz"))) {
            EXPECT_EQ(recorder.last(QStringLiteral("GetMarcaAutoriz")).args,
                      strings({"0001", "1001", row.stored}));
        }
        EXPECT_EQ(ui.messageTexts(),
                  row.message.isEmpty() ? QStringList() : QStringList{row.message});
        EXPECT_EQ(itemText("NMMARCA"), QString::fromUtf8(row.name));
        EXPECT_EQ(screen->ActiveControl(), row.message.isEmpty()
                                               ? component<ngc::TDBEdit>(*screen, "dbeValorFrete")
                                               : component<ngc::TDBEdit>(*screen, "dbeCdSegMarca"));
        expectProgressBalanced();
    }
}

// Each list is read when it is opened, with every row; choosing a row while the item browses
// starts its edit and fills code and name, with no check until the edit is left or the item
// saved. The brands come from the server's list for the brand key or, with every brand
// allowed, from the shared database.
TEST_F(LookupsTest, ListsLoadEveryRowAndFillCodeAndName)
{
    const struct {
        const char *source;
        const char *button;
        int chosen;
        const char *call; // empty: none
        QJsonArray args;
        int rows;
        const char *emptyText;
        const char *code;
        const char *codeField;
        const char *name;
        const char *nameField;
    } rows[] = {
        {"N", "btpTipoCobr", 3, "GetTipoCobr", strings({"", "T"}), 3, "", "03", "CDTIPCOB",
         "Carteira", "NMTIPOCOBR"},
        {"N", "btpPesqMarca", 2, "GetPesqMarca", strings({"CM01", " ", "T"}), 4,
         "Não há marca cadastrada para o produto.", "00003", "CDSEGMARCCOL", "Sabor do Sul",
         "NMMARCA"},
        {"S",
         "btpPesqMarca",
         6,
         "",
         {},
         6,
         "Não há marca cadastrada.",
         "00006",
         "CDSEGMARCCOL",
         "Dona Clara",
         "NMMARCA"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.source) + " " + row.button);
        if (screen)
            screen->hide();
        brandSource(row.source);
        auto &form = open();
        ui.clear();
        recorder.clear();
        ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
        ui.answerRow(row.chosen);
        click(form.findChild<ngc::TBtnPesquisa *>(QLatin1String(row.button)));

        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        EXPECT_EQ(itemText(row.codeField), QString::fromLatin1(row.code));
        EXPECT_EQ(itemText(row.nameField), QString::fromUtf8(row.name));
        if (*row.call) {
            EXPECT_EQ(recorder.methods(), QStringList{QLatin1String(row.call)});
            EXPECT_EQ(recorder.last(QLatin1String(row.call)).args, row.args);
        } else {
            EXPECT_TRUE(recorder.methods().isEmpty());
        }
        ASSERT_EQ(ui.lists().size(), 1);
        EXPECT_EQ(ui.lists().first().rowCount, row.rows);
        EXPECT_EQ(ui.lists().first().emptyText, QString::fromUtf8(row.emptyText));
        EXPECT_TRUE(ui.messages().isEmpty());
        expectProgressBalanced();
    }
}

// The check order at a save starts with the focused control, so the buyer hears first about the
// field being left; the other checks follow in their fixed order.
TEST_F(LookupsTest, SaveChecksStartWithTheFocusedControl)
{
    const struct {
        const char *focused;
        const char *message;
    } rows[] = {
        {"dbeCdSegMarca", "Marca não cadastrada."},
        {"dbeCdTipCob", "Tipo de cobrança não cadastrada."},
        {"dbeValorFrete", "Data de validade inicial deve ser informada."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.focused);
        if (screen)
            screen->hide();
        auto &form = open(behaviour::demoItem(), true);
        focus(form.findChild<QWidget *>(QLatin1String(row.focused)));
        dataSet(form, "cdsItemCole").Edit();
        dataSet(form, "cdsItemCole")
            .FieldByName(QStringLiteral("CDSEGMARCCOL"))
            .SetAsString(QStringLiteral("99"));
        dataSet(form, "cdsItemCole")
            .FieldByName(QStringLiteral("CDTIPCOB"))
            .SetAsString(QStringLiteral("9"));
        dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("DTINIVALITM")).Clear();
        ui.clear();
        click(form.sbtConfirmar);
        EXPECT_EQ(ui.messageTexts(), QStringList{QString::fromUtf8(row.message)});
        EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        EXPECT_TRUE(form.isVisible());
    }
}
