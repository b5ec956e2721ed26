#include "AppServer.h"

#include "Schema.h"
#include "Seed.h"

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
    : m_database(config.databaseUrl),
      m_dispatcher(prepared(m_database, config.seedDemo), config.log),
      m_http(m_dispatcher, config.http, config.log)
{
    m_port = m_http.start();
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
