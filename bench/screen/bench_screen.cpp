// Times the screen against a real application server on 127.0.0.1, each figure beside its parts
// measured in the same run:
//   open     the entry call (IniProc) to the first paint of the loaded screen, against the
//            screen's creation plus the four remote calls of the first activation;
//   confirm  Confirmar of a discount change, against its remote calls and shared-database
//            queries (the collection check, the checks of the second brand, the charge type and
//            the payment form with its schedule's sum, the save, the taxes);
//   memory   the peak resident memory of ngc-host with the screen open (its screenshot run).
// Bounded: a fixed number of rounds (default 100) after three untimed ones, each with a
// time-out. Usage: bench_screen [rounds] [--qt-ui]
//   --qt-ui  the host's real dialogs and progress window instead of the scripted ones, so the
//            progress window's showing and painting count too

#include "ScreenBench.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>
#include <Cli_Ngc27451/support/ScreenParts.h>
#include <net/TNetConnection.h>
#include <widgets/TButtonFlat.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariantList>

#include <sys/resource.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using namespace screenbench;
using Clock = QElapsedTimer;

QString program(const char *relative)
{
    return QDir(QStringLiteral(NGC_BINARY_DIR)).filePath(QString::fromLatin1(relative));
}

// Records the first paint of the screen once its item is loaded, then closes it.
class FirstPaint final : public QObject {
public:
    qint64 paintedAt = -1;
    const Clock *clock = nullptr;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *form = qobject_cast<Cli_Ngc27451::TfrmInfoPlanNeg *>(watched);
        if (form && event->type() == QEvent::Paint && paintedAt < 0 &&
            !screentest::dataSet(*form, "cdsItemCole").IsEmpty()) {
            paintedAt = clock->nsecsElapsed();
            QTimer::singleShot(0, form, [form] { form->close(); });
        }
        return false;
    }
};

void openBenchmark(int port, int rounds, bool report = true)
{
    std::vector<double> whole, creation, paraSupri, itemCole, pzoPgt, impFilial;
    for (int round = 0; round < rounds; ++round) {
        FirstPaint watcher;
        Clock clock;
        watcher.clock = &clock;
        qApp->installEventFilter(&watcher);
        clock.start();
        IniProc(QVariantList{false, kKeys[0], kKeys[1], kKeys[2], kKeys[3], kKeys[4], kKeys[5],
                             kKeys[6], kKeys[7]});
        qApp->removeEventFilter(&watcher);
        if (watcher.paintedAt < 0)
            throw std::runtime_error("the loaded screen was never painted");
        whole.push_back(static_cast<double>(watcher.paintedAt) / 1e6);
        delete Cli_Ngc27451::frmInfoPlanNeg;
        Cli_Ngc27451::frmInfoPlanNeg = nullptr;

        // The parts, in the same run: the screen's creation, then the first activation's calls
        // over two new connections, as an opening makes them.
        Clock created;
        created.start();
        auto *form = new Cli_Ngc27451::TfrmInfoPlanNeg();
        creation.push_back(static_cast<double>(created.nsecsElapsed()) / 1e6);
        delete form;

        QObject owner;
        ItemKeys keys;
        auto *suprimentos = connection(QStringLiteral("Ngc.rdmSuprimentos"), port, &owner);
        auto *info = connection(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), port, &owner);
        paraSupri.push_back(timedCall(*suprimentos, QStringLiteral("GetParaSupri"),
                                      {ngc::RemoteArg::stringRef(&keys.filial)}, 1));
        itemCole.push_back(timedCall(*info, QStringLiteral("GetItemCole"), keys.six(), 1));
        pzoPgt.push_back(timedCall(*info, QStringLiteral("GetPzoPgtItmCol"), keys.six(), 1));
        impFilial.push_back(timedCall(
            *info, QStringLiteral("GetImpFilial"),
            {ngc::RemoteArg::stringRef(&keys.filial), ngc::RemoteArg::stringRef(&keys.complementar),
             ngc::RemoteArg::stringRef(&keys.regiao), ngc::RemoteArg::stringRef(&keys.forn),
             ngc::RemoteArg::stringRef(&keys.produto)},
            2));
    }
    if (!report)
        return;
    const double parts = median(creation) + median(paraSupri) + median(itemCole) + median(pzoPgt) +
                         median(impFilial);
    std::printf("open: entry call to first paint %.2f ms (median of %d)\n", median(whole), rounds);
    std::printf("  parts: creation %.2f, GetParaSupri %.2f, GetItemCole %.2f, "
                "GetPzoPgtItmCol %.2f, GetImpFilial %.2f; sum %.2f ms\n",
                median(creation), median(paraSupri), median(itemCole), median(pzoPgt),
                median(impFilial), parts);
    std::printf("  whole / sum of parts: %.2f (target at most 1.30)\n", median(whole) / parts);
}

void confirmBenchmark(int port, int rounds, bool report = true)
{
    std::vector<double> whole, verif, checks, save, taxes;
    for (int round = 0; round < rounds; ++round) {
        const double discount = 6.0 + round % 2;
        auto *form = openScreen();
        ngc::TClientDataSet &item = screentest::dataSet(*form, "cdsItemCole");
        item.Edit();
        item.FieldByName(QStringLiteral("VRPERDESITM")).SetAsFloat(discount);

        Clock clock;
        clock.start();
        form->sbtConfirmar->click();
        whole.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (form->isVisible() || item.ChangeCount() != 0)
            throw std::runtime_error("Confirmar did not save");

        // The parts: the same calls and query with the same arguments, over the screen's kind
        // of connection, saving the discount back and forth.
        QObject owner;
        ItemKeys keys;
        auto *info = connection(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), port, &owner);
        verif.push_back(timedCall(
            *info, QStringLiteral("GetVerif_ColeApr"),
            {ngc::RemoteArg::stringRef(&keys.filial), ngc::RemoteArg::stringRef(&keys.cole)}, 1));
        checks.push_back(timeChecks(*info, keys).sum());
        save.push_back(timedSave(*info, keys, discount + 0.5, false, {}));
        taxes.push_back(timedCall(
            *info, QStringLiteral("GetImpFilial"),
            {ngc::RemoteArg::stringRef(&keys.filial), ngc::RemoteArg::stringRef(&keys.complementar),
             ngc::RemoteArg::stringRef(&keys.regiao), ngc::RemoteArg::stringRef(&keys.forn),
             ngc::RemoteArg::stringRef(&keys.produto)},
            2));
        delete form;
    }
    if (!report)
        return;
    const double parts = median(verif) + median(checks) + median(save) + median(taxes);
    std::printf("confirm: Confirmar of a discount change %.2f ms (median of %d)\n", median(whole),
                rounds);
    std::printf("  parts: GetVerif_ColeApr %.2f, second brand, charge type and payment checks "
                "%.2f, SetItemCole %.2f, GetImpFilial %.2f; sum %.2f ms\n",
                median(verif), median(checks), median(save), median(taxes), parts);
    std::printf("  whole / sum of parts: %.2f (target at most 1.30)\n", median(whole) / parts);
}

void memoryBenchmark(int port)
{
    QTemporaryDir shots;
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NGC_SERVER"), QStringLiteral("127.0.0.1:%1").arg(port));
    env.insert(QStringLiteral("NGC_MODULE_CODE"), QStringLiteral("34"));
    host.setProcessEnvironment(env);
    host.start(program("apps/ngc-host/ngc-host"), {QStringLiteral("--keys"), kKeys.join(QLatin1Char(',')),
                                          QStringLiteral("--screenshot"), shots.path()});
    if (!host.waitForFinished(60000) || host.exitCode() != 0)
        throw std::runtime_error("ngc-host --screenshot failed: " +
                                 host.readAllStandardError().toStdString());
    // Only finished and waited-for children count, and the host is the only one so far.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("memory: ngc-host peak resident set with the screen open %.1f MiB\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    return run(argc, argv, "bench_screen", [](Server &server, const Options &options) {
        // Untimed rounds first: the server's caches and the process's first-use costs.
        openBenchmark(server.port(), 3, false);
        confirmBenchmark(server.port(), 3, false);
        openBenchmark(server.port(), options.rounds);
        confirmBenchmark(server.port(), options.rounds);
        memoryBenchmark(server.port());
    });
}
