#pragma once

#include <QString>

namespace ngc {

// What the host tells the platform about where it runs: one per process, set by the host program
// (or by any other host through the environment). The routines WebURL, WebPort, ModuloAtiv and
// DBPict and the shared-database queries read it at every use.
//
// Defaults come from the environment when the context is first used:
//   NGC_SERVER       host:port of the application server      (127.0.0.1:8080)
//   NGC_TOKEN_FILE   file holding the bearer token             (none)
//   NGC_SHARED_DB    sqlite:PATH or postgresql://...           (none)
//   NGC_MODULE_CODE  the active module's code                  (34)
struct HostContext {
    QString serverHost;
    int serverPort = 8080;
    QString tokenFile;
    QString sharedDb;
    int moduleCode = 34;
    QString productPicture; // edit mask for product codes; empty: no mask

    // The token read from tokenFile (trimmed), or empty when there is none.
    QString token() const;

    static HostContext &instance();
    // Builds a context from the environment variables above.
    static HostContext fromEnvironment();
};

} // namespace ngc
