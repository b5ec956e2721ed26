#include "support/behaviour_screen.h"

#include <widgets/TButtonFlat.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QAction>

using behaviour::ScreenTest;
using screentest::component;
using screentest::dataSet;

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
        component<QAction>(form, "mnuImposto")->trigger();
        ngc::TTabSheet *shown =
            row.byBranch ? component<ngc::TTabSheet>(form, "tshImpostoItem") : form.tshPadrao;
        EXPECT_EQ(form.pgcPadrao->ActivePage(), shown);
        EXPECT_TRUE(form.pgcPadrao->TabVisible(shown));
        EXPECT_FALSE(row.byBranch ? dataSet(form, "cdsFilialImp").IsEmpty()
                                  : dataSet(form, "cdsImpColet").IsEmpty());
        EXPECT_EQ(component<QAction>(form, "mnuImposto")->isChecked(), !row.byBranch);
        EXPECT_FALSE(component<QAction>(form, "mnuDadosAdicionais")->isChecked());
        EXPECT_FALSE(component<QAction>(form, "mnuFormaPagamento")->isChecked());
        // Only the single list takes Alterar and Verificar away.
        EXPECT_EQ(form.sbtAlterar->isEnabled(), row.byBranch);
        EXPECT_EQ(form.sbtVerificar->isEnabled(), row.byBranch);
    }
}
