#pragma once

#include "Database.h"

namespace ngc {

// One database transaction: rolled back by the destructor unless committed, so a failure on any
// path leaves nothing half written. SQLite takes the write lock at the start (BEGIN IMMEDIATE),
// which makes concurrent writers wait for each other instead of failing when they upgrade.
class Transaction final {
public:
    explicit Transaction(Database::Session &session);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database::Session &m_session;
    bool m_open = false;
};

} // namespace ngc
