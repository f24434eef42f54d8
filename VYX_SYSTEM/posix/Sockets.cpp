// POSIX implementation of the sockets seam: BSD sockets and poll(). Implements every function of
// Sockets.h; there is no socket library to start, so sockStartup() always succeeds.
#include "Sockets.h"

#include "FileSystemSeam.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

sockaddr_in makeAddress(uint32_t address, uint16_t port) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(port);
    return sa;
}

}  // namespace

bool sockStartup() {
    return true;
}

bool sockParseDotted(const char* host, uint32_t* address) {
    in_addr a;
    if (host == nullptr || inet_pton(AF_INET, host, &a) != 1) return false;
    *address = a.s_addr;
    return true;
}

bool sockResolve(const char* host, uint32_t* address) {
    if (sockParseDotted(host, address)) return true;
    if (host == nullptr || host[0] == 0) {
        errno = EINVAL;
        return false;
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host, nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        // Name lookup has its own error numbers; "no such device or address" is the nearest
        // system text for a name nobody knows.
        if (rc != EAI_SYSTEM) errno = ENXIO;
        return false;
    }
    *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

SocketHandle sockOpen(int socketType) {
    int type = socketType == 1 ? SOCK_STREAM : SOCK_DGRAM;
    return socket(AF_INET, type | SOCK_CLOEXEC, 0);
}

bool sockConnect(SocketHandle s, uint32_t address, uint16_t port) {
    sockaddr_in sa = makeAddress(address, port);
    int rc;
    do {
        rc = connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool sockBind(SocketHandle s, uint32_t address, uint16_t port) {
    // A server restarted on its port must not wait for the old connections' TIME_WAIT, as it need
    // not on the platform this program was first written for.
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa = makeAddress(address, port);
    return bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
}

bool sockListen(SocketHandle s, int backlog) {
    return listen(s, backlog) == 0;
}

SocketHandle sockAccept(SocketHandle s) {
    int rc;
    do {
        rc = accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

int sockLocalPort(SocketHandle s) {
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return -1;
    return ntohs(sa.sin_port);
}

int sockSend(SocketHandle s, const void* data, int size) {
    ssize_t rc;
    do {
        rc = send(s, data, size_t(size), MSG_NOSIGNAL);
    } while (rc < 0 && errno == EINTR);
    return int(rc);
}

int sockRecv(SocketHandle s, void* buffer, int size, bool wait) {
    ssize_t rc;
    do {
        rc = recv(s, buffer, size_t(size), wait ? 0 : MSG_DONTWAIT);
    } while (rc < 0 && errno == EINTR);
    return int(rc);
}

bool sockWouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

void sockClose(SocketHandle s) {
    if (s != NO_SOCKET) close(s);
}

SString sockErrorText() {
    return fsErrorText(errno);
}

int sockWait(SockWaitItem* items, int count, int timeoutMs) {
    pollfd fds[8];
    if (count < 0 || count > 8) {
        errno = EINVAL;
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        fds[i].fd = items[i].socket;
        fds[i].events = 0;
        fds[i].revents = 0;
        if (items[i].interest & (SOCK_EVENT_READ | SOCK_EVENT_ACCEPT)) fds[i].events |= POLLIN;
        if (items[i].interest & SOCK_EVENT_WRITE) fds[i].events |= POLLOUT;
        if (items[i].interest & SOCK_EVENT_CLOSE) fds[i].events |= POLLRDHUP;
        items[i].events = 0;
    }
    int rc;
    do {
        rc = poll(fds, nfds_t(count), timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return rc;
    int withEvents = 0;
    for (int i = 0; i < count; ++i) {
        short r = fds[i].revents;
        int ev = 0;
        bool ended = (r & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
        if (ended) ev |= SOCK_EVENT_CLOSE;
        if (r & POLLIN) {
            if (items[i].interest & SOCK_EVENT_ACCEPT) {
                ev |= SOCK_EVENT_ACCEPT;
            } else {
                // At the end of a connection the socket reads as ready with nothing in it; only
                // bytes that wait count as data arrived.
                int pending = 0;
                if (!ended || (ioctl(fds[i].fd, FIONREAD, &pending) == 0 && pending > 0))
                    ev |= SOCK_EVENT_READ;
            }
        }
        if (r & POLLOUT) ev |= SOCK_EVENT_WRITE;
        items[i].events = ev & items[i].interest;
        if (items[i].events != 0) ++withEvents;
    }
    return withEvents;
}
