#pragma once

#include "Database.h"

namespace ngc {

// Creates and migrates the tables. Each migration runs once, in its own transaction, and records
// its number in SCHEMAVERSAO; running it again finds nothing to do, also when several server
// instances start together on one PostgreSQL database (Database::SetupLock).
class Schema final {
public:
    Schema() = delete;

    static int latestVersion();
    static int currentVersion(Database::Session &session);
    static void migrate(Database::Session &session);
};

} // namespace ngc
