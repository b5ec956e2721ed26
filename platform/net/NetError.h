#pragma once

#include <stdexcept>

namespace ngc {

// A remote call that did not come back with a reply: the server could not be reached or did not
// answer in time, the connection was not open, or the server refused the call itself (unknown
// method, wrong arguments, missing token). The message names the server, the remote object and
// the method, so that it can be shown as it is.
class NetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace ngc
