#pragma once

#include "Database.h"

#include <functional>

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

    // How often run() tries a transaction that PostgreSQL keeps aborting.
    static constexpr int kAttempts = 5;

    // Runs `work` in a transaction of its own and commits it. PostgreSQL aborts a transaction
    // that ran into a concurrent one (a serialization failure or a deadlock, which two servers
    // replicating discounts over the same items can cause); it is then rolled back and `work`
    // runs again from the start after a short random pause, kAttempts times at most. Past that
    // the request is refused with a BusinessFailure, nothing of it written. Every other failure
    // rolls back and propagates at once. `work` must read what it decides on inside itself.
    static void run(Database::Session &session, const std::function<void()> &work);

private:
    Database::Session &m_session;
    bool m_open = false;
};

} // namespace ngc
