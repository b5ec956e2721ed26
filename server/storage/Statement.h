#pragma once

#include "RowSource.h"

namespace ngc {

// A statement prepared on one connection and kept by it (see Database::statement), run again
// with new values each time; its rows are read as a RowSource. Which library runs it (SQLite's
// own or libpq) is the connection's business; callers see none of it.
class Statement : public RowSource {
public:
    // Binds the values to the parameters in order and runs the statement; its rows follow with
    // next(). A statement that changes rows has done so once next() has returned false.
    // DatabaseError on failure.
    virtual void execute(const QVariantList &values) = 0;
    // The rows changed, once the statement has run to its end.
    virtual int rowsAffected() const = 0;
    // Back to the start with no values bound, so that it holds no read snapshot or lock until
    // its next execution.
    virtual void reset() = 0;
};

} // namespace ngc
