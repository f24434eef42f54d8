#pragma once

#include <cstdint>

class SString;

// The sockets seam: exactly what the library's TCP stream needs of the platform's sockets, IPv4
// only. Addresses are in network byte order, ports in host byte order. Every failing call leaves
// its reason in sockErrorText().

#ifdef _WIN32
typedef uintptr_t SocketHandle;
#else
typedef int SocketHandle;
#endif
const SocketHandle NO_SOCKET = SocketHandle(~SocketHandle(0));

// Starts the socket library where the platform has one; false when that fails.
bool sockStartup();

// A dotted address ("127.0.0.1") without any lookup.
bool sockParseDotted(const char* host, uint32_t* address);
// A dotted address directly, any other text by name lookup.
bool sockResolve(const char* host, uint32_t* address);

// A new IPv4 socket; socketType 1 is a stream socket. NO_SOCKET on failure.
SocketHandle sockOpen(int socketType);
bool sockConnect(SocketHandle s, uint32_t address, uint16_t port);
// Port 0 binds a free port; sockLocalPort() tells which.
bool sockBind(SocketHandle s, uint32_t address, uint16_t port);
bool sockListen(SocketHandle s, int backlog);
SocketHandle sockAccept(SocketHandle s);
int sockLocalPort(SocketHandle s);

// Bytes sent (possibly fewer than asked), -1 on failure. A peer that has gone away is a failure,
// never a signal that ends the process.
int sockSend(SocketHandle s, const void* data, int size);
// Bytes read, 0 when the peer has closed, -1 on failure. With wait false an empty socket returns
// -1 with sockWouldBlock() true instead of blocking.
int sockRecv(SocketHandle s, void* buffer, int size, bool wait = true);
bool sockWouldBlock();
void sockClose(SocketHandle s);
// The system's message for the last failed call.
SString sockErrorText();

// Socket events, as interest and as result.
enum : int {
    SOCK_EVENT_READ = 1,    // data has arrived
    SOCK_EVENT_WRITE = 2,   // ready to write
    SOCK_EVENT_ACCEPT = 4,  // a connection request waits on a listening socket
    SOCK_EVENT_CLOSE = 8,   // the connection has ended
};
struct SockWaitItem {
    SocketHandle socket;
    int interest;  // SOCK_EVENT_* wanted
    int events;    // SOCK_EVENT_* that occurred, set by sockWait
};
// Waits up to timeoutMs for any of the wanted events. Returns the number of items with events,
// 0 after the time-out, -1 on failure.
int sockWait(SockWaitItem* items, int count, int timeoutMs);
