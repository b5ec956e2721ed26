// Times a Confirmar that runs every check of the conditions page against a real application
// server on 127.0.0.1, beside its parts measured in the same run: the demo item opened in the
// mode that asks for the validity, its discount changed (6 and 7 in turn) with replication on
// (products and suppliers picked from their lists, every region, the same brand), so the save
// checks the collection, the discount and its amount, the validity, the second brand (shared
// database, brand key, approval), the charge type, the payment form (shared database) and its
// schedule's sum, the replication lists, then saves with the replication and re-reads the
// taxes. The parts are those remote calls and the shared-database queries, with the same
// arguments, on a connection of the screen's kind.
// Bounded: a fixed number of rounds (default 100) after three untimed ones.
// Usage: bench_conditions [rounds] [--qt-ui]

#include "ScreenBench.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>
#include <Cli_Ngc27451/support/ScreenParts.h>
#include <services/HostServices.h>
#include <net/TNetConnection.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TRadioGroup.h>

#include <QCheckBox>
#include <QElapsedTimer>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using namespace screenbench;

// The replication choices of every round, in the screen's order (product, brand, region,
// supplier), and the picks of the groups at "Lista".
const int kChoices[] = {2, 0, 1, 2};
const QStringList kProducts{QStringLiteral("1001"), QStringLiteral("1002")};
const QStringList kSuppliers{QStringLiteral("1001"), QStringLiteral("1003")};

void confirmBenchmark(int port, int rounds, bool report = true)
{
    std::vector<double> whole, verif, marca, pesqMarca, marcaAutoriz, tipoCobr, formPgto, somaPerc,
        save, taxes;
    for (int round = 0; round < rounds; ++round) {
        const double discount = 6.0 + round % 2;
        Cli_Ngc27451::boValidade = true;
        auto *form = openScreen();
        screentest::component<QCheckBox>(*form, "chkDesconto")->setChecked(true);
        const char *const groups[] = {"rdgProduto", "rdgMarca", "rdgRegiao", "rdgFornecedor"};
        for (int d = 0; d < 4; ++d)
            screentest::component<ngc::TRadioGroup>(*form, groups[d])->SetItemIndex(kChoices[d]);
        Cli_Ngc27451::stPesqProduto = ngc::selectionFromKeys(kProducts);
        Cli_Ngc27451::stPesqForn = ngc::selectionFromKeys(kSuppliers);
        ngc::TClientDataSet &item = screentest::dataSet(*form, "cdsItemCole");
        item.Edit();
        item.FieldByName(QStringLiteral("VRPERDESITM")).SetAsFloat(discount);

        QElapsedTimer clock;
        clock.start();
        form->sbtConfirmar->click();
        whole.push_back(elapsedMs(clock));
        if (form->isVisible() || item.ChangeCount() != 0)
            throw std::runtime_error("Confirmar did not save");
        delete form;

        // The parts, saving the discount back and forth with the same choices.
        QObject owner;
        ItemKeys keys;
        auto *info = connection(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), port, &owner);
        verif.push_back(timedCall(
            *info, QStringLiteral("GetVerif_ColeApr"),
            {ngc::RemoteArg::stringRef(&keys.filial), ngc::RemoteArg::stringRef(&keys.cole)}, 1));
        const CheckParts checks = timeChecks(*info, keys);
        marca.push_back(checks.marca);
        pesqMarca.push_back(checks.pesqMarca);
        marcaAutoriz.push_back(checks.marcaAutoriz);
        tipoCobr.push_back(checks.tipoCobr);
        formPgto.push_back(checks.formPgto);
        somaPerc.push_back(checks.somaPerc);
        Replication replication;
        replication.choices = {kChoices[0], kChoices[2], kChoices[3], kChoices[1]};
        replication.picks = {
            ngc::selectionFromKeys(kProducts), {}, ngc::selectionFromKeys(kSuppliers), {}};
        save.push_back(timedSave(*info, keys, discount + 0.5, true, replication));
        // The validity mode shows the taxes as one list.
        taxes.push_back(timedCall(*info, QStringLiteral("GetImpColet"), keys.six(), 1));
    }
    if (!report)
        return;
    const double parts = median(verif) + median(marca) + median(pesqMarca) + median(marcaAutoriz) +
                         median(tipoCobr) + median(formPgto) + median(somaPerc) + median(save) +
                         median(taxes);
    std::printf("conditions: Confirmar running every check of the page %.2f ms (median of %d)\n",
                median(whole), rounds);
    std::printf("  parts: GetVerif_ColeApr %.2f, qryMarca %.2f, GetPesqMarca %.2f, "
                "GetMarcaAutoriz %.2f, GetTipoCobr %.2f, qryPesqFormPgto %.2f, GetSomaPerc %.2f, "
                "SetItemCole with replication %.2f, GetImpColet %.2f; sum %.2f ms\n",
                median(verif), median(marca), median(pesqMarca), median(marcaAutoriz),
                median(tipoCobr), median(formPgto), median(somaPerc), median(save), median(taxes),
                parts);
    std::printf("  whole / sum of parts: %.2f (target at most 1.30)\n", median(whole) / parts);
}

} // namespace

int main(int argc, char **argv)
{
    return run(argc, argv, "bench_conditions", [](Server &server, const Options &options) {
        confirmBenchmark(server.port(), 3, false);
        confirmBenchmark(server.port(), options.rounds);
    });
}
