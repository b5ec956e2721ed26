#include "support/behaviour_screen.h"

#include <services/SilentAbort.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QCheckBox>

using behaviour::ScreenTest;
using screentest::component;
using screentest::dataSet;

// A failing load stops the first activation at that step: what came before it stays set up,
// nothing after it runs, and the screen stays open.
TEST_F(ScreenTest, FailingItemLoadStopsTheFirstActivationThere)
{
    behaviour::LaunchKeys keys = behaviour::demoItem();
    keys.cdProduto = QStringLiteral("10011111111");
    auto &form = open(keys);

    EXPECT_EQ(recorder.methods(),
              QStringList({QStringLiteral("GetParaSupri"), QStringLiteral("GetItemCole")}));
    EXPECT_EQ(ui.errors().size(), 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.pgcPadrao->TabVisible(component<ngc::TTabSheet>(form, "tshImpostoItem")));
    EXPECT_TRUE(dataSet(form, "cdsItemCole").IsEmpty());
    EXPECT_TRUE(dataSet(form, "cdsPzoPgtItmCol").IsEmpty());
    EXPECT_TRUE(component<ngc::TNumberEdit>(form, "nedValorDesc")->text().isEmpty());
}

// Each loader replaces its dataset only with a good reply; a failed call leaves the dataset and
// the spin edits filled from it as they were. Verificar re-reads the item with no control focused
// and the instalments with a control of the conditions page focused.
TEST_F(ScreenTest, FailedReloadsKeepWhatWasLoaded)
{
    auto &form = open(behaviour::fixedDayItem());
    ASSERT_TRUE(ui.errors().isEmpty());
    server().kill();
    recorder.clear();
    if (QWidget *focused = form.focusWidget())
        focused->clearFocus();
    click(form.sbtVerificar);
    focus(component<QWidget>(form, "dbeVrPerDesItm"));
    click(form.sbtVerificar);
    EXPECT_EQ(recorder.methods(),
              QStringList({QStringLiteral("GetItemCole"), QStringLiteral("GetPzoPgtItmCol")}));
    EXPECT_EQ(ui.errors().size(), 2);
    EXPECT_EQ(dataSet(form, "cdsItemCole").RecordCount(), 1);
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), QStringLiteral("10"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speParcela")->Text(), QStringLiteral("3"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "spePrEntr")->Text(), QStringLiteral("15"));
}

// Loading replaces the dataset wholesale: its unsent changes go with it.
TEST_F(ScreenTest, ReloadingDropsUnsentInstalmentChanges)
{
    auto &form = open();
    ngc::TClientDataSet &cdsPzoPgtItmCol = dataSet(form, "cdsPzoPgtItmCol");
    // A deletion is sent at once; on a closed collection the server refuses it, so it stays.
    server().exec(QStringLiteral("UPDATE COLEPRECO SET IDSITCOLE = 'E'"));
    EXPECT_THROW(cdsPzoPgtItmCol.Delete(), ngc::SilentAbort);
    ASSERT_EQ(cdsPzoPgtItmCol.RecordCount(), 1);
    ASSERT_EQ(cdsPzoPgtItmCol.ChangeCount(), 1);
    // The deletion put the item into edit; once that is cancelled, bringing the payment page to
    // front reads the instalments again.
    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtCancelar);
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    EXPECT_EQ(cdsPzoPgtItmCol.RecordCount(), 2);
    EXPECT_EQ(cdsPzoPgtItmCol.ChangeCount(), 0);
}
