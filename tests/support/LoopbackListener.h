#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

// A real TCP listener on 127.0.0.1 for tests: port 0 picks a free port. It plays the other end
// of the library's streams (the trace monitor, a server, a client's peer).
class LoopbackListener {
public:
    explicit LoopbackListener(int wantedPort = 0) {
        listening = socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in sa = loopback(wantedPort);
        if (bind(listening, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(listening, 5) != 0) {
            ::close(listening);
            listening = -1;
            return;
        }
        socklen_t len = sizeof sa;
        getsockname(listening, reinterpret_cast<sockaddr*>(&sa), &len);
        boundPort = ntohs(sa.sin_port);
    }
    ~LoopbackListener() {
        closeConnection();
        if (listening >= 0) ::close(listening);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool ok() const { return listening >= 0; }
    int port() const { return boundPort; }

    // A port on which nothing listens (bound once, then released).
    static int freePort() {
        LoopbackListener probe;
        return probe.port();
    }

    // Whether a connection request waits, looking for up to ms milliseconds.
    bool connectionPending(int ms) {
        pollfd p{listening, POLLIN, 0};
        return poll(&p, 1, ms) == 1;
    }

    bool acceptOne(int ms = 5000) {
        if (!connectionPending(ms)) return false;
        closeConnection();
        connection = accept(listening, nullptr, nullptr);
        return connection >= 0;
    }

    // Reads until count bytes have come, the peer closes or ms milliseconds have passed.
    std::string read(size_t count, int ms = 5000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        char buffer[4096];
        while (got.size() < count && connection >= 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{connection, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, int(left.count())) != 1) break;
            ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }

    bool write(const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            ssize_t n = send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += size_t(n);
        }
        return true;
    }

    void closeConnection() {
        if (connection >= 0) ::close(connection);
        connection = -1;
    }

private:
    static sockaddr_in loopback(int port) {
        sockaddr_in sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = htons(uint16_t(port));
        return sa;
    }

    int listening = -1;
    int connection = -1;
    int boundPort = -1;
};
