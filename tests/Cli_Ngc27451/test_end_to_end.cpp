#include "support/behaviour_screen.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <services/HostContext.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>
#include <QTimer>
#include <QVariantList>

#include <functional>

using behaviour::ScreenTest;
using screentest::component;
using screentest::dataSet;

namespace {

double sumOf(const ngc::DataPacket &packet, const QString &field)
{
    int index = -1;
    for (int i = 0; i < packet.fields.size(); ++i) {
        if (packet.fields.at(i).name == field)
            index = i;
    }
    double sum = 0;
    for (const ngc::Row &row : packet.rows)
        sum += row.at(index).toDouble();
    return sum;
}

// Runs work once the screen the entry opened is up and active, inside its modal run.
void whenScreenIsUp(std::function<void(Cli_Ngc27451::TfrmInfoPlanNeg &)> work)
{
    auto *poll = new QTimer(qApp);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, elapsed, work] {
        Cli_Ngc27451::TfrmInfoPlanNeg *form = Cli_Ngc27451::frmInfoPlanNeg;
        if (form && form->isActiveWindow() && !dataSet(*form, "cdsItemCole").IsEmpty()) {
            poll->deleteLater();
            poll->stop();
            work(*form);
        } else if (elapsed->elapsed() > 20000) {
            poll->deleteLater();
            poll->stop();
            ADD_FAILURE() << "the screen did not come up";
            if (form)
                form->close();
        }
    });
    poll->start(10);
}

} // namespace

// The host opens the demo item through the generic entry; the buyer types a discount and
// confirms; the entry returns once the screen is closed, and the server holds the discount and
// taxes computed from it.
TEST_F(ScreenTest, BuyerChangesTheDiscountThroughTheEntryAndTheServerHasIt)
{
    const behaviour::LaunchKeys keys = behaviour::demoItem();
    ngc::HostContext::instance().serverPort = server().port();
    // The second brand and the payment form are checked on the host's shared database, which
    // the server's file holds.
    ngc::HostContext::instance().sharedDb = QStringLiteral("sqlite:") + server().dbPath();
    const double taxesBefore = sumOf(server().taxesByBranch(keys), QStringLiteral("VRIMPOSTO"));

    whenScreenIsUp([this](Cli_Ngc27451::TfrmInfoPlanNeg &form) {
        component<ngc::TDBEdit>(form, "dbeVrPerDesItm")->setFocus(Qt::MouseFocusReason);
        component<ngc::TDBEdit>(form, "dbeVrPerDesItm")->selectAll();
        QTest::keyClicks(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("12.5"));
        QTest::mouseClick(form.sbtConfirmar, Qt::LeftButton);
    });
    IniProc(QVariantList{false, keys.cdFilial, keys.nrColePreco, keys.cdForneced, keys.cdProduto,
                         keys.chaveMarca, keys.cdMarca, keys.cdRegiao, keys.chaveComplementar});

    ASSERT_NE(Cli_Ngc27451::frmInfoPlanNeg, nullptr);
    EXPECT_FALSE(Cli_Ngc27451::frmInfoPlanNeg->isVisible());
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(ui.errors().isEmpty()) << ui.errors().join(u'|').toStdString();
    expectProgressBalanced();
    EXPECT_EQ(recorder.methods(),
              QStringList({QStringLiteral("GetParaSupri"), QStringLiteral("GetItemCole"),
                           QStringLiteral("GetPzoPgtItmCol"), QStringLiteral("GetImpFilial"),
                           QStringLiteral("GetVerif_ColeApr"), QStringLiteral("GetPesqMarca"),
                           QStringLiteral("GetMarcaAutoriz"), QStringLiteral("GetTipoCobr"),
                           QStringLiteral("GetSomaPerc"), QStringLiteral("SetItemCole"),
                           QStringLiteral("GetImpFilial")}));

    // Element 1 of the entry's list is the only argument of the parameters' read; the brand key
    // (element 5) goes only to the check of the second brand.
    EXPECT_EQ(recorder.calls().first().args, QJsonArray({QStringLiteral("0001")}));
    for (const ngc::CallTrace &call : recorder.calls())
        EXPECT_EQ(call.args.contains(QStringLiteral("CM01")),
                  call.method == QLatin1String("GetPesqMarca"))
            << call.method.toStdString();

    const ngc::DataPacket item = server().item(keys);
    EXPECT_EQ(behaviour::valueOf(item, QStringLiteral("VRPERDESITM")).toDouble(), 12.5);
    EXPECT_EQ(behaviour::valueOf(item, QStringLiteral("CDSEGMARCCOL")).toString(),
              QStringLiteral("00002"));
    const double taxesAfter = sumOf(server().taxesByBranch(keys), QStringLiteral("VRIMPOSTO"));
    EXPECT_LT(taxesAfter, taxesBefore);
    // What the screen showed last is what the server computes.
    EXPECT_EQ(sumOf(dataSet(*Cli_Ngc27451::frmInfoPlanNeg, "cdsDescImp").Data(),
                    QStringLiteral("VRIMPOSTO")),
              taxesAfter);

    delete Cli_Ngc27451::frmInfoPlanNeg;
}
