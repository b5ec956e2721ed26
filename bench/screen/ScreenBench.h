#pragma once

// What the screen benchmarks share: the real application server on 127.0.0.1, the demo item's
// keys, and the parts a whole is measured against (remote calls and shared-database queries,
// each timed the way the screen makes it).

#include <net/RemoteArg.h>
#include <support/AppServerProcess.h>

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <vector>

namespace Cli_Ngc27451 {
class TfrmInfoPlanNeg;
}

namespace ngc {
class TNetConnection;
}

namespace screenbench {

// The demo item's eight launch keys, in the entry's order.
extern const QStringList kKeys;

double median(std::vector<double> values);

// Milliseconds since the clock started.
double elapsedMs(const QElapsedTimer &clock);

// ngc-appserver over a SQLite file of its own seeded with the demo data, on a free port; stopped
// on every way out of the benchmark (see AppServerProcess). The file is also the host's shared
// database.
class Server {
public:
    Server();
    int port() const { return m_process.port(); }
    QString dbPath() const;

private:
    QTemporaryDir m_dir;
    AppServerProcess m_process;
};

// Points the host's context at the server: its address, its file as the shared database, and the
// commercial module.
void useServer(const Server &server);

// The item keys by reference, as the screen passes them.
struct ItemKeys {
    QString filial = kKeys[0], cole = kKeys[1], produto = kKeys[3], marca = kKeys[5],
            forn = kKeys[2], regiao = kKeys[6], complementar = kKeys[7], chaveMarca = kKeys[4];
    ngc::RemoteArgs six();
};

ngc::TNetConnection *connection(const QString &object, int port, QObject *parent);

// Milliseconds a remote call takes, reply checked and its packets decoded as the screen does.
double timedCall(ngc::TNetConnection &net, const QString &method, const ngc::RemoteArgs &args,
                 int packets);

// The replication choices of a save, in the server's order: product, region, supplier, brand.
struct Replication {
    std::array<int, 4> choices{0, 0, 0, 0};
    std::array<QString, 4> picks;
};

// Milliseconds SetItemCole takes to save the demo item with this discount (read first, untimed,
// to build its change as the screen does), its four usual null fields, the validity flag and the
// replication choices.
double timedSave(ngc::TNetConnection &net, ItemKeys &keys, double discount, bool validade,
                 Replication replication);

// A screen on the demo item, shown and loaded; the caller deletes it.
Cli_Ngc27451::TfrmInfoPlanNeg *openScreen();

// The parts a save of the demo item checks on the server and the shared database, each as the
// screen makes it: the second brand in the shared database, allowed for the brand key, not
// rejected; the charge type; the payment form in the shared database and the sum of its
// instalments. Milliseconds, summed.
struct CheckParts {
    double marca = 0, pesqMarca = 0, marcaAutoriz = 0, tipoCobr = 0, formPgto = 0, somaPerc = 0;
    double sum() const { return marca + pesqMarca + marcaAutoriz + tipoCobr + formPgto + somaPerc; }
};
CheckParts timeChecks(ngc::TNetConnection &net, ItemKeys &keys);

// The command line of a screen benchmark, [rounds] [--qt-ui]: the number of timed rounds
// (default 100), and whether the host's real dialogs and progress window replace the scripted
// ones.
struct Options {
    int rounds = 100;
    bool qtUi = false;
};

// Runs a benchmark on the offscreen platform (unless another one is asked for) in the C locale,
// against a server of its own that the host's context points at. Returns the exit code; a
// failure is reported under the benchmark's name.
int run(int argc, char **argv, const char *name,
        const std::function<void(Server &, const Options &)> &body);

} // namespace screenbench
