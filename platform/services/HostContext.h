#pragma once

#include <QString>

#include <optional>

namespace ngc {

// What the host tells the platform about where it runs: one per process, set by the host program
// (or by any other host through the environment). The routines WebURL, WebPort, ModuloAtiv and
// DBPict, the server connections and the shared-database queries read it at every use.
//
// Defaults come from the environment when the context is first used:
//   NGC_SERVER             [https://]host:port of the application server   (127.0.0.1:8080)
//   NGC_TOKEN_FILE         file holding the bearer token                   (none)
//   NGC_CA_FILE            certificates that sign the server's, for https  (the system's)
//   NGC_ALLOW_PLAIN_TOKEN  1: send the token over plain HTTP to any server (loopback only)
//   NGC_SHARED_DB          sqlite:PATH or postgresql://...                 (none)
//   NGC_MODULE_CODE        the active module's code                        (34)
struct HostContext {
    QString serverHost;
    int serverPort = 8080;
    bool serverTls = false; // https: the server's certificate is verified
    QString tokenFile;
    QString caFile; // PEM file of the authorities trusted for the server; empty: the system's
    // The bearer token goes over plain HTTP only to this machine unless this is set: anyone on
    // the way could read it.
    bool allowPlainToken = false;
    QString sharedDb;
    int moduleCode = 34;
    QString productPicture; // edit mask for product codes; empty: no mask

    // The token read from tokenFile (trimmed), or empty when there is none.
    QString token() const;

    // Sets serverHost, serverPort and serverTls from "host:port", "host", ":port" (the host
    // stays) or "[v6-address]:port", each optionally after "http://" or "https://". Returns what
    // is wrong with the text, empty when nothing is; what could be read is set all the same.
    QString setServer(const QString &text);

    // "1", "true", "yes", "on" and "0", "false", "no", "off", in any case; nothing for the rest.
    static std::optional<bool> parseSwitch(const QString &text);

    static HostContext &instance();
    // Builds a context from the environment variables above.
    static HostContext fromEnvironment();
};

} // namespace ngc
