// The server's request path as a whole: arbitrary bytes are written to a real server on
// 127.0.0.1 (its HTTP parser, limits and checks, the dispatcher, the methods and a SQLite database
// in a temporary folder), the sending side is closed, and everything the server answers is read
// until it closes. The server must neither crash, nor hang, nor answer anything but HTTP.

#include <server/AppServer.h>
#include <server/storage/Database.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int g_port = 0;

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_request: %s (errno %d)\n", what, errno);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    ngc::Database::configureSqlite();
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    ngc::ServerConfig config;
    config.http.port = 0;
    config.http.threads = 4;
    // Small limits, so that short inputs reach them.
    config.http.maxBodyBytes = 2048;
    config.http.maxHeaderBytes = 1024;
    config.databaseUrl = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("fuzz.db"));
    config.seedDemo = true;
    // Never destroyed: at exit this thread's database connection is gone before any static, and
    // the process ends anyway.
    static ngc::AppServer *const server = ngc::startServer(config).release();
    g_port = server->port();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    check(fd >= 0, "no socket");
    // Every input ends (the sending side closes), so an answer that takes this long is a hang
    // (the server's own deadlines are not involved; a loaded machine may stall for seconds).
    timeval timeout{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // From 127.0.0.2: the million connections leave their TIME_WAIT ports there, not on the
    // address where other servers of this machine want to bind theirs.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1);
    // The port is chosen by connect(), which may take one still in TIME_WAIT; bind() would not.
    const int late = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &late, sizeof late);
    check(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0, "cannot bind");
    address.sin_port = htons(static_cast<uint16_t>(g_port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // libFuzzer's own timer signals interrupt blocking calls here; each is taken up again.
    int connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    if (connected != 0 && errno == EINTR) {
        pollfd writable{fd, POLLOUT, 0};
        while (::poll(&writable, 1, -1) < 0 && errno == EINTR) {
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        connected = error;
    }
    check(connected == 0, "cannot connect");
    // The server may refuse and close before reading everything; that is its right.
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        check(n == 0 || errno == ECONNRESET, "no end to the answer");
        break;
    }
    ::close(fd);
    check(answer.empty() || answer.compare(0, 7, "HTTP/1.") == 0, "an answer that is not HTTP");
    return 0;
}
