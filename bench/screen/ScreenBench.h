#pragma once

// What the screen benchmarks share: the real application server over a SQLite file seeded with
// the demo data (which also serves as the host's shared database), the demo item's keys, a
// connection of the screen's kind for timing the parts, and the screen opened on the item.

#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>
#include <data/DataPacket.h>
#include <host/HostContext.h>
#include <host/ScriptedHostUi.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <support/AppServerProcess.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

namespace screenbench {

using Clock = QElapsedTimer;

// The demo item's eight launch keys, in the entry's order.
inline const QStringList kKeys{QStringLiteral("0001"), QStringLiteral("2026000001"),
                               QStringLiteral("1001"), QStringLiteral("1001"),
                               QStringLiteral("CM01"), QStringLiteral("00001"),
                               QStringLiteral("001"),  QStringLiteral("CC01")};

inline QString program(const char *relative)
{
    return QDir(QStringLiteral(NGC_BINARY_DIR)).filePath(QString::fromLatin1(relative));
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

inline double millisecondsSince(const Clock &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// ngc-appserver on a free port of 127.0.0.1 over a file of its own, which the host context also
// names as the shared database (payment forms and brands are read there).
class Server {
public:
    Server()
        : m_process(program("server/ngc-appserver"),
                    {QStringLiteral("--db"), QStringLiteral("sqlite:") + dbPath()})
    {
        auto &context = ngc::HostContext::instance();
        context.serverHost = QStringLiteral("127.0.0.1");
        context.serverPort = port();
        context.sharedDb = QStringLiteral("sqlite:") + dbPath();
        context.moduleCode = 34;
    }
    int port() const { return m_process.port(); }
    QString dbPath() const { return m_dir.filePath(QStringLiteral("bench.db")); }

private:
    QTemporaryDir m_dir;
    AppServerProcess m_process;
};

// The six item keys by reference, as the screen passes them.
struct ItemKeys {
    QString filial = kKeys[0], cole = kKeys[1], produto = kKeys[3], marca = kKeys[5],
            forn = kKeys[2], regiao = kKeys[6], complementar = kKeys[7];
    ngc::RemoteArgs six()
    {
        return {ngc::RemoteArg::stringRef(&filial),  ngc::RemoteArg::stringRef(&cole),
                ngc::RemoteArg::stringRef(&produto), ngc::RemoteArg::stringRef(&marca),
                ngc::RemoteArg::stringRef(&forn),    ngc::RemoteArg::stringRef(&regiao)};
    }
};

inline ngc::TNetConnection *connection(const QString &object, int port, QObject *parent)
{
    auto *net = new ngc::TNetConnection(object, parent);
    net->SetHost(QStringLiteral("127.0.0.1"));
    net->setPort(port);
    net->Open();
    return net;
}

// Milliseconds a remote call takes, reply checked and its packets decoded as the screen does.
inline double timedCall(ngc::TNetConnection &net, const QString &method,
                        const ngc::RemoteArgs &args, int packets)
{
    Clock clock;
    clock.start();
    const ngc::RemoteData data = ngc::CheckResultServ(net.Call(method, args), false, 0);
    if (packets == 1)
        (void)ngc::packetOf(data);
    for (int i = 0; i < packets && packets > 1; ++i)
        (void)ngc::packetAt(data, i);
    return millisecondsSince(clock);
}

// The screen as the module opens it on the demo item, shown, activated and loaded. The caller
// owns it.
inline Cli_Ngc27451::TfrmInfoPlanNeg *openForm()
{
    auto *form = new Cli_Ngc27451::TfrmInfoPlanNeg();
    form->stCdFilial = kKeys[0];
    form->stNrColePreco = kKeys[1];
    form->stCdForneced = kKeys[2];
    form->stCdProduto = kKeys[3];
    form->stChaveMarca = kKeys[4];
    form->stCdMarca = kKeys[5];
    form->stCdRegiao = kKeys[6];
    form->stChaveComplementar = kKeys[7];
    form->show();
    form->activateWindow();
    Clock waited;
    waited.start();
    while (form->cdsItemCole.IsEmpty() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (form->cdsItemCole.IsEmpty()) {
        delete form;
        throw std::runtime_error("the screen did not load");
    }
    return form;
}

// The command line of a screen benchmark: [rounds] [--qt-ui].
struct Options {
    int rounds = 100;
    // The host's real dialogs and progress window instead of the scripted ones.
    bool qtUi = false;
};

// Runs a benchmark on the offscreen platform (unless another one is asked for) in the C locale,
// against a server of its own, with the host's dialogs scripted unless --qt-ui is given. Returns
// the process's exit code; a failure is reported under the benchmark's name.
inline int run(int argc, char **argv, const char *name,
               const std::function<void(Server &, const Options &)> &body)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--qt-ui") == 0)
            options.qtUi = true;
        else
            options.rounds = std::max(1, std::atoi(argv[i]));
    }
    try {
        Server server;
        ngc::ScriptedHostUi ui(true);
        if (!options.qtUi)
            ngc::setHostUi(&ui);
        body(server, options);
        ngc::setHostUi(nullptr);
    } catch (const std::exception &e) {
        ngc::setHostUi(nullptr);
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return 1;
    }
    return 0;
}

} // namespace screenbench
