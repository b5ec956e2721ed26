#include "support/behaviour_screen.h"

#include <host/SilentAbort.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QCheckBox>

using behaviour::ScreenTest;

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
    EXPECT_TRUE(form.pgcPadrao->TabVisible(form.tshImpostoItem));
    EXPECT_TRUE(form.cdsItemCole.IsEmpty());
    EXPECT_TRUE(form.cdsPzoPgtItmCol.IsEmpty());
    EXPECT_TRUE(form.nedValorDesc->text().isEmpty());
}

// Each loader replaces its dataset only with a good reply; a failed call leaves the dataset and
// the spin edits filled from it as they were.
TEST_F(ScreenTest, FailedReloadsKeepWhatWasLoaded)
{
    auto &form = open(behaviour::fixedDayItem());
    server().kill();
    EXPECT_ANY_THROW(form.AtualizaItemCole());
    EXPECT_ANY_THROW(form.AtualizaPzoPgtItmCol());
    EXPECT_EQ(form.cdsItemCole.RecordCount(), 1);
    EXPECT_EQ(form.speDiaFixo->Text(), QStringLiteral("10"));
    EXPECT_EQ(form.speParcela->Text(), QStringLiteral("3"));
    EXPECT_EQ(form.spePrEntr->Text(), QStringLiteral("15"));
}

// Loading replaces the dataset wholesale: its unsent changes go with it.
TEST_F(ScreenTest, ReloadingDropsUnsentInstalmentChanges)
{
    auto &form = open();
    // A deletion is sent at once; on a closed collection the server refuses it, so it stays.
    server().exec(QStringLiteral("UPDATE COLEPRECO SET IDSITCOLE = 'E'"));
    EXPECT_THROW(form.cdsPzoPgtItmCol.Delete(), ngc::SilentAbort);
    ASSERT_EQ(form.cdsPzoPgtItmCol.RecordCount(), 1);
    ASSERT_EQ(form.cdsPzoPgtItmCol.ChangeCount(), 1);
    form.AtualizaPzoPgtItmCol();
    EXPECT_EQ(form.cdsPzoPgtItmCol.RecordCount(), 2);
    EXPECT_EQ(form.cdsPzoPgtItmCol.ChangeCount(), 0);
}
