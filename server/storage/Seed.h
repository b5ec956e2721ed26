#pragma once

#include "Database.h"

namespace ngc {

// The demo data set behind "--seed demo". Its item for the launch keys
// 0001 / 2026000001 / 1001 (supplier) / 1001 (product) / CM01 / 00001 / 001 / CC01 exercises every
// method; docs/server.md describes the rest.
class Seed final {
public:
    Seed() = delete;

    // Loads the demo data in one transaction; returns false, changing nothing, when it is already
    // there, also when another server loaded it a moment before.
    static bool demo(Database::Session &session);
};

} // namespace ngc
