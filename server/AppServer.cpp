#include "AppServer.h"

#include <server/storage/Schema.h>
#include <server/storage/Seed.h>
#include <server/storage/Sql.h>

#include <string>

namespace ngc {

namespace {
Database &prepared(Database &database, bool seedDemo)
{
    Database::Session session = database.session();
    Schema::migrate(session);
    if (seedDemo)
        Seed::demo(session);
    return database;
}
} // namespace

AppServer::AppServer(const ServerConfig &config)
    : m_log([this, log = config.log](const RequestLog &entry) {
          m_metrics.record(entry);
          if (log)
              log(entry);
      }),
      m_database(config.databaseUrl), m_dispatcher(prepared(m_database, config.seedDemo), m_log),
      m_http(m_dispatcher, config.http, m_log,
             {[this] { return databaseAnswers(); },
              [this] { return m_metrics.text(m_http.openConnections()); }})
{
    m_port = m_http.start();
}

bool AppServer::databaseAnswers()
{
    // A connection that broke since its last use (PostgreSQL restarted) is no outage: it is
    // closed, and the check is made once more on a fresh one.
    std::string problem;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Database::Session session = m_database.session();
            try {
                Sql::exec(session.db(), QStringLiteral("SELECT 1"));
                return true;
            } catch (const DatabaseError &) {
                session.discard();
                throw;
            }
        } catch (const std::exception &e) {
            problem = e.what();
        }
    }
    m_metrics.databaseError();
    qWarning("health check: the database does not answer: %s", problem.c_str());
    return false;
}

AppServer::~AppServer()
{
    stop();
    wait();
}

void AppServer::stop()
{
    m_http.stop();
}

void AppServer::wait()
{
    m_http.wait();
}

std::unique_ptr<AppServer> startServer(const ServerConfig &config)
{
    return std::make_unique<AppServer>(config);
}

} // namespace ngc
