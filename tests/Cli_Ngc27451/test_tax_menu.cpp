#include "support/behaviour_screen.h"

#include <widgets/TButtonFlat.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QAction>

using behaviour::ScreenTest;

// The menu's "Imposto" brings the tax page in use to front, never the hidden one: the single list
// in the validity mode, the taxes by branch otherwise, with their rows. The check marks and the
// toolbar follow the page shown.
TEST_F(ScreenTest, TaxMenuShowsTheTaxPageInUse)
{
    const struct {
        bool validade;
        bool byBranch;
    } rows[] = {{false, true}, {true, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.validade);
        if (screen)
            screen->hide();
        auto &form = open(behaviour::demoItem(), row.validade);
        form.mnuImposto->trigger();
        ngc::TTabSheet *shown = row.byBranch ? form.tshImpostoItem : form.tshPadrao;
        EXPECT_EQ(form.pgcPadrao->ActivePage(), shown);
        EXPECT_TRUE(form.pgcPadrao->TabVisible(shown));
        EXPECT_FALSE(row.byBranch ? form.cdsFilialImp.IsEmpty() : form.cdsImpColet.IsEmpty());
        EXPECT_EQ(form.mnuImposto->isChecked(), !row.byBranch);
        EXPECT_FALSE(form.mnuDadosAdicionais->isChecked());
        EXPECT_FALSE(form.mnuFormaPagamento->isChecked());
        // Only the single list takes Alterar and Verificar away.
        EXPECT_EQ(form.sbtAlterar->isEnabled(), row.byBranch);
        EXPECT_EQ(form.sbtVerificar->isEnabled(), row.byBranch);
    }
}
