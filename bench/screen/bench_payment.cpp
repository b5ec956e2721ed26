// Times the payment page against a real application server on 127.0.0.1, each figure beside its
// parts measured in the same run:
//   post      posting one new instalment of the demo item (its checks, the duplicate-term
//             check and the send), against GetVerif_PzoPgtItmCol and SetPzoPgtItmCol with the
//             same arguments on a connection of the same kind;
//   schedule  loading a schedule of 99 instalments into the grid (the payment page brought to
//             front again, which reads it anew) and painting it, against the remote read,
//             loading the packet into a dataset of the same layout that no grid shows, and
//             painting the grid already loaded.
// Bounded: a fixed number of rounds (default 100) after three untimed ones, each call with a
// time-out. Usage: bench_payment [rounds] [--qt-ui]
//   --qt-ui  the host's real progress window instead of the scripted one, so showing and painting
//            it count too (posting shows it twice)

#include "ScreenBench.h"

#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>
#include <Cli_Ngc27451/support/ScreenParts.h>
#include <data/DataPacket.h>
#include <data/TClientDataSet.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TDBGrid.h>

#include <QAction>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using namespace screenbench;
using screentest::component;
using screentest::dataSet;

const QString kObject = QStringLiteral("Ngc27451.rdmInfoPlanNeg");
// Terms the posting rounds use, away from the demo schedule's 30 and 60 days.
constexpr int kFirstTerm = 100;
constexpr int kTerms = 800;
constexpr int kScheduleRows = 99;
// The next term a posting round takes, counted over every round of the run.
int next = 0;

// One instalment of the demo item as the screen posts it: the launch keys, the term and the
// percentage.
ngc::Row instalment(const ngc::TClientDataSet &layout, int days, double percentage)
{
    ngc::Row row(layout.FieldCount());
    const std::pair<const char *, QVariant> values[] = {
        {"CDFILIAL", kKeys[0]},         {"NRCOLEPRECO", kKeys[1]},   {"CDFORNECED", kKeys[2]},
        {"CDPRODUTO", kKeys[3]},        {"CDMARCA", kKeys[5]},       {"CDREGIAO", kKeys[6]},
        {"NRDIASPGTCOL", double(days)}, {"VRPERCPGTCOL", percentage}};
    for (const auto &[name, value] : values)
        row[layout.FieldByName(QString::fromLatin1(name)).Index()] = value;
    return row;
}

double timedSend(ngc::TNetConnection &net, const ngc::DeltaPacket &delta)
{
    return timedCall(net, QStringLiteral("SetPzoPgtItmCol"),
                     {ngc::RemoteArg::variant(ngc::encodeDelta(delta))}, 0);
}

void postBenchmark(Cli_Ngc27451::TfrmInfoPlanNeg &form, int port, int rounds, bool report = true)
{
    ngc::TClientDataSet &parcelas = dataSet(form, "cdsPzoPgtItmCol");
    const QList<ngc::FieldDef> fields = parcelas.FieldDefs();
    std::vector<double> whole, verif, send;
    QObject owner;
    auto *info = connection(kObject, port, &owner);
    for (int round = 0; round < rounds; ++round) {
        const int days = kFirstTerm + next++ % kTerms;
        parcelas.Insert();
        parcelas.FieldByName(QStringLiteral("NRDIASPGTCOL")).SetAsFloat(days);
        parcelas.FieldByName(QStringLiteral("VRPERCPGTCOL")).SetAsFloat(1.0);
        QElapsedTimer clock;
        clock.start();
        parcelas.Post();
        whole.push_back(elapsedMs(clock));
        if (parcelas.ChangeCount() != 0)
            throw std::runtime_error("the instalment was not sent");
        parcelas.Delete(); // sent at once too: the schedule is back to the demo's

        // The parts: the same two calls with the same arguments, for the next term.
        const int partDays = kFirstTerm + next++ % kTerms;
        ItemKeys keys;
        ngc::RemoteArgs args{ngc::RemoteArg::string(QString::number(partDays))};
        args.append(keys.six());
        verif.push_back(timedCall(*info, QStringLiteral("GetVerif_PzoPgtItmCol"), args, 1));
        const ngc::Row row = instalment(parcelas, partDays, 1.0);
        send.push_back(timedSend(*info, {fields, {{ngc::DeltaChange::Op::Insert, {}, row}}}));
        (void)timedSend(*info, {fields, {{ngc::DeltaChange::Op::Delete, row, {}}}});
    }
    if (!report)
        return;
    const double parts = median(verif) + median(send);
    std::printf("post: one new instalment %.3f ms (median of %d)\n", median(whole), rounds);
    std::printf("  parts: GetVerif_PzoPgtItmCol %.3f, SetPzoPgtItmCol %.3f; sum %.3f ms\n",
                median(verif), median(send), parts);
    std::printf("  whole / sum of parts: %.2f (target at most 1.30)\n", median(whole) / parts);
}

// Replaces the demo item's schedule on the server by 99 instalments of 1 %, 1 to 99 days.
void storeLongSchedule(const ngc::TClientDataSet &layout, int port)
{
    QObject owner;
    auto *info = connection(kObject, port, &owner);
    ItemKeys keys;
    (void)ngc::CheckResultServ(info->Call(QStringLiteral("DeletaPrazoPg"), keys.six()), false, 0);
    ngc::DeltaPacket delta{layout.FieldDefs(), {}};
    for (int days = 1; days <= kScheduleRows; ++days)
        delta.changes.append({ngc::DeltaChange::Op::Insert, {}, instalment(layout, days, 1.0)});
    (void)timedSend(*info, delta);
}

void scheduleBenchmark(Cli_Ngc27451::TfrmInfoPlanNeg &form, int port, int rounds,
                       bool report = true)
{
    ngc::TDBGrid *grid = component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol");
    ngc::TClientDataSet &parcelas = dataSet(form, "cdsPzoPgtItmCol");
    // Bringing the payment page to front reads the schedule again, as a buyer's page change does.
    QAction *paymentPage = component<QAction>(form, "mnuFormaPagamento");
    // A dataset of the grid's layout that nothing shows.
    ngc::TClientDataSet unseen;
    for (const ngc::FieldDef &def : parcelas.FieldDefs())
        unseen.AddField(def);
    std::vector<double> whole, read, load, paint;
    QObject owner;
    auto *info = connection(kObject, port, &owner);
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        paymentPage->trigger();
        grid->viewport()->repaint();
        whole.push_back(elapsedMs(clock));
        if (parcelas.RecordCount() != kScheduleRows)
            throw std::runtime_error("the schedule did not load");

        ItemKeys keys;
        clock.start();
        const ngc::DataPacket packet = ngc::packetOf(ngc::CheckResultServ(
            info->Call(QStringLiteral("GetPzoPgtItmCol"), keys.six()), false, 0));
        read.push_back(elapsedMs(clock));
        clock.start();
        unseen.SetData(packet);
        load.push_back(elapsedMs(clock));
        // The cells themselves: repainting the grid's frame alone leaves its viewport as it is.
        clock.start();
        grid->viewport()->repaint();
        paint.push_back(elapsedMs(clock));
    }
    if (!report)
        return;
    const double parts = median(read) + median(load) + median(paint);
    std::printf("schedule: %d instalments loaded into the grid and painted %.3f ms (median of "
                "%d)\n",
                kScheduleRows, median(whole), rounds);
    std::printf("  parts: GetPzoPgtItmCol %.3f, loading a dataset nothing shows %.3f, painting "
                "the loaded grid %.3f; sum %.3f ms\n",
                median(read), median(load), median(paint), parts);
    std::printf("  whole / sum of parts: %.2f (target at most 1.30)\n", median(whole) / parts);
}

} // namespace

int main(int argc, char **argv)
{
    return run(argc, argv, "bench_payment", [](Server &server, const Options &options) {
        // The payment page in front, its grid focused, as a buyer works on it.
        std::unique_ptr<Cli_Ngc27451::TfrmInfoPlanNeg> form(openScreen());
        component<QAction>(*form, "mnuFormaPagamento")->trigger();
        if (!component<ngc::TDBGrid>(*form, "dbgPzoPgtItmCol")->isVisible())
            throw std::runtime_error("the instalment grid is not shown");
        // Untimed rounds first: the server's caches and the process's first-use costs.
        postBenchmark(*form, server.port(), 3, false);
        postBenchmark(*form, server.port(), options.rounds);
        // The posts put the item into edit; a page change reads the schedule only of an item
        // that is not being edited.
        dataSet(*form, "cdsItemCole").Cancel();
        storeLongSchedule(dataSet(*form, "cdsPzoPgtItmCol"), server.port());
        scheduleBenchmark(*form, server.port(), 3, false);
        scheduleBenchmark(*form, server.port(), options.rounds);
    });
}
