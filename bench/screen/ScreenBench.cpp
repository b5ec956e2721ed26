#include "ScreenBench.h"

#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>
#include <Cli_Ngc27451/support/ScreenParts.h>
#include <data/DataPacket.h>
#include <services/HostContext.h>
#include <services/ScriptedHostUi.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TADOIBQuery.h>

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace screenbench {

const QStringList kKeys{QStringLiteral("0001"), QStringLiteral("2026000001"),
                        QStringLiteral("1001"), QStringLiteral("1001"),
                        QStringLiteral("CM01"), QStringLiteral("00001"),
                        QStringLiteral("001"),  QStringLiteral("CC01")};

namespace {

QString program(const char *relative)
{
    return QDir(QStringLiteral(NGC_BINARY_DIR)).filePath(QString::fromLatin1(relative));
}

} // namespace

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double elapsedMs(const QElapsedTimer &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

Server::Server()
    : m_process(program("apps/ngc-appserver/ngc-appserver"),
                {QStringLiteral("--db"), QStringLiteral("sqlite:") + dbPath()})
{
}

QString Server::dbPath() const
{
    return m_dir.filePath(QStringLiteral("bench.db"));
}

void useServer(const Server &server)
{
    auto &context = ngc::HostContext::instance();
    context.serverHost = QStringLiteral("127.0.0.1");
    context.serverPort = server.port();
    context.sharedDb = QStringLiteral("sqlite:") + server.dbPath();
    context.moduleCode = 34;
}

ngc::RemoteArgs ItemKeys::six()
{
    return {ngc::RemoteArg::stringRef(&filial),  ngc::RemoteArg::stringRef(&cole),
            ngc::RemoteArg::stringRef(&produto), ngc::RemoteArg::stringRef(&marca),
            ngc::RemoteArg::stringRef(&forn),    ngc::RemoteArg::stringRef(&regiao)};
}

ngc::TNetConnection *connection(const QString &object, int port, QObject *parent)
{
    auto *net = new ngc::TNetConnection(object, parent);
    net->SetHost(QStringLiteral("127.0.0.1"));
    net->SetPort(port);
    net->Open();
    return net;
}

double timedCall(ngc::TNetConnection &net, const QString &method, const ngc::RemoteArgs &args,
                 int packets)
{
    QElapsedTimer clock;
    clock.start();
    const ngc::RemoteData data = ngc::CheckResultServ(net.Call(method, args), false, 0);
    if (packets == 1)
        (void)ngc::packetOf(data);
    for (int i = 0; i < packets && packets > 1; ++i)
        (void)ngc::packetAt(data, i);
    return elapsedMs(clock);
}

double timedSave(ngc::TNetConnection &net, ItemKeys &keys, double discount, bool validade,
                 Replication replication)
{
    const ngc::DataPacket item = ngc::packetOf(
        ngc::CheckResultServ(net.Call(QStringLiteral("GetItemCole"), keys.six()), false, 0));
    ngc::Row changed = item.rows.first();
    changed[11] = discount;
    const ngc::DeltaPacket delta{item.fields,
                                 {{ngc::DeltaChange::Op::Update, item.rows.first(), changed}}};
    QJsonValue nulls = QJsonArray{QStringLiteral("NRPARCPGTCOL"), QStringLiteral("NRDIAPGFXCOL"),
                                  QStringLiteral("IDUTDIAPGCOL"), QStringLiteral("IDTIPFREITM")};
    ngc::RemoteArgs args{ngc::RemoteArg::variant(ngc::encodeDelta(delta)),
                         ngc::RemoteArg::variantRef(&nulls), ngc::RemoteArg::boolean(validade),
                         ngc::RemoteArg::stringRef(&keys.complementar)};
    for (const int choice : replication.choices)
        args.append(ngc::RemoteArg::integer(choice));
    for (QString &pick : replication.picks)
        args.append(ngc::RemoteArg::stringRef(&pick));
    return timedCall(net, QStringLiteral("SetItemCole"), args, 0);
}

Cli_Ngc27451::TfrmInfoPlanNeg *openScreen()
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
    QElapsedTimer waited;
    waited.start();
    const ngc::TClientDataSet &item = screentest::dataSet(*form, "cdsItemCole");
    while (item.IsEmpty() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (item.IsEmpty())
        throw std::runtime_error("the screen did not load");
    return form;
}

namespace {

// Milliseconds a shared-database query takes with these two parameter values, as the screen
// opens it.
double timedQuery(ngc::TADOIBQuery &query, const QString &code, const QString &all)
{
    const QStringList names = query.ParamNames();
    QElapsedTimer clock;
    clock.start();
    query.Close();
    query.ParamByName(names.at(0)).SetAsString(code);
    query.ParamByName(names.at(1)).SetAsString(all);
    query.Open();
    return elapsedMs(clock);
}

} // namespace

CheckParts timeChecks(ngc::TNetConnection &net, ItemKeys &keys)
{
    // The brand and payment-form queries as the screen's, on the same per-thread
    // shared-database connection.
    static ngc::TADOIBQuery marcas(QStringLiteral("qryMarca"));
    static ngc::TADOIBQuery formas(QStringLiteral("qryPesqFormPgto"));
    if (marcas.SQL().isEmpty()) {
        marcas.SetSQL({QStringLiteral("SELECT"), QStringLiteral("   MARCA.CDMARCA,"),
                       QStringLiteral("   MARCA.NMMARCA"), QStringLiteral("FROM"),
                       QStringLiteral("   MARCA"), QStringLiteral("WHERE"),
                       QStringLiteral("   (MARCA.CDMARCA = :P_CDMARCA OR :P_TCDMARCA = 'T')")});
        formas.SetSQL({QStringLiteral("SELECT"), QStringLiteral("   CDFORMPGTO,"),
                       QStringLiteral("   NMFORMPGTO,"), QStringLiteral("   IDTIPODTPGTO"),
                       QStringLiteral("FROM"), QStringLiteral("   FORMPGTO"),
                       QStringLiteral("WHERE"),
                       QStringLiteral("  (CDFORMPGTO = :P_CDFORMPGTO OR :P_TFORMPGTO = 'T')")});
    }
    const QString segundaMarca = QStringLiteral("00002");
    CheckParts parts;
    parts.marca = timedQuery(marcas, segundaMarca, QString());
    parts.pesqMarca = timedCall(net, QStringLiteral("GetPesqMarca"),
                                {ngc::RemoteArg::stringRef(&keys.chaveMarca),
                                 ngc::RemoteArg::string(segundaMarca), ngc::RemoteArg::string({})},
                                1);
    parts.marcaAutoriz =
        timedCall(net, QStringLiteral("GetMarcaAutoriz"),
                  {ngc::RemoteArg::stringRef(&keys.filial),
                   ngc::RemoteArg::stringRef(&keys.produto), ngc::RemoteArg::string(segundaMarca)},
                  1);
    parts.tipoCobr =
        timedCall(net, QStringLiteral("GetTipoCobr"),
                  {ngc::RemoteArg::string(QStringLiteral("01")), ngc::RemoteArg::string({})}, 1);
    parts.formPgto = timedQuery(formas, QStringLiteral("01"), QString());
    parts.somaPerc = timedCall(net, QStringLiteral("GetSomaPerc"), keys.six(), 1);
    return parts;
}

int run(int argc, char **argv, const char *name,
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
    ngc::ScriptedHostUi ui(true);
    try {
        Server server;
        useServer(server);
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
