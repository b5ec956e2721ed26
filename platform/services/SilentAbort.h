#pragma once

#include <exception>

namespace ngc {

// Ends the running operation without a message of its own: every validation failure and every
// refused edit is one. The guard where Qt calls in swallows it.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace ngc
