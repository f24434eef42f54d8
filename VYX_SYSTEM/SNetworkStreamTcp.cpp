#include "SNetworkStreamTcp.h"

#include "SString.h"

#include <cstdint>

namespace {
const int CHUNK = 1000;
}  // namespace

SNetworkStreamTcp::~SNetworkStreamTcp() {
    close();
}

void SNetworkStreamTcp::failStep(const char* stepText) {
    const SString reason = sockErrorText();
    errorText = stepText;
    errorText.append(reason);
}

bool SNetworkStreamTcp::connectAsClient() {
    if (!sockStartup()) {
        failStep("WSAStartup(..) schlug fehl.\r\n");
        return false;
    }
    uint32_t address = 0;
    if (!sockResolve(host, &address)) {
        errorText = SString("Kann Server-Name/Adresse '") + host + "' nicht aufl\xF6sen.\r\n";
        return false;
    }
    SocketHandle s = sockOpen(socketType);
    if (s == NO_SOCKET) {
        failStep("socket(..) schlug fehl.\r\n");
        return false;
    }
    if (!sockConnect(s, address, port)) {
        failStep("Fehler beim Verbinden.\r\n");
        sockClose(s);
        return false;
    }
    connectedSocket = s;
    armConnectionEvents();
    return true;
}

bool SNetworkStreamTcp::startAsServer() {
    if (!sockStartup()) {
        failStep("WSAStartup(..) schlug fehl.\r\n");
        return false;
    }
    uint32_t address = 0;  // any local address
    sockParseDotted(host, &address);
    SocketHandle s = sockOpen(socketType);
    if (s == NO_SOCKET) {
        failStep("socket(..) schlug fehl.\r\n");
        return false;
    }
    if (!sockBind(s, address, port)) {
        failStep("bind(..) schlug fehl.\r\n");
        sockClose(s);
        return false;
    }
    if (!sockListen(s, 5)) {
        failStep("listen(..) schlug fehl.\r\n");
        sockClose(s);
        return false;
    }
    listenSocket = s;
    listenEvents = SOCK_EVENT_ACCEPT;
    return true;
}

bool SNetworkStreamTcp::accept() {
    SocketHandle listening = listenSocket;
    SocketHandle s = listening == NO_SOCKET ? NO_SOCKET : sockAccept(listening);
    if (listening != NO_SOCKET) listenEvents = SOCK_EVENT_ACCEPT;
    if (s == NO_SOCKET) {
        statusText = "Fehler...";
        errorText = "accept() schlug fehl.";
        return false;
    }
    // A new connection replaces one that is still open.
    sockClose(connectedSocket.exchange(s));
    armConnectionEvents();
    connected = true;
    statusText = "Client akzeptiert.";
    return true;
}

int SNetworkStreamTcp::getListeningPort() const {
    SocketHandle listening = listenSocket;
    return listening == NO_SOCKET ? -1 : sockLocalPort(listening);
}

bool SNetworkStreamTcp::send(const SString& text) {
    return send(text.getChars(), text.getLength());
}

bool SNetworkStreamTcp::send(const char* data, int size) {
    SocketHandle s = connectedSocket;
    int sent = 0;
    while (s != NO_SOCKET && sent < size) {
        int n = sockSend(s, data + sent, size - sent);
        if (n <= 0) break;
        sent += n;
    }
    if (s == NO_SOCKET || sent < size) {
        statusText = "Fehler...";
        errorText = "Daten konnten nicht gesendet werden.";
        return false;
    }
    return true;
}

SString SNetworkStreamTcp::receive() {
    SString result;
    SocketHandle s = connectedSocket;
    if (s == NO_SOCKET) return result;
    char chunk[CHUNK];
    bool first = true;
    for (;;) {
        // Only the first read waits: after a full chunk the rest is taken as far as it has
        // arrived, so a text of an exact multiple of the chunk size does not wait for more.
        int n = sockRecv(s, chunk, CHUNK, first);
        if (n < 0) {
            if (!first && sockWouldBlock()) break;
            statusText = "Fehler...";
            errorText = "Lesefehler";
            break;
        }
        // Byte by byte: received data is never taken for a localisable literal.
        for (int i = 0; i < n; ++i)
            result.append(chunk[i]);
        if (n < CHUNK) break;
        first = false;
    }
    if (connectedSocket == s) rearmDataArrived();
    return result;
}

int SNetworkStreamTcp::receive(char* buffer, int size) {
    SocketHandle s = connectedSocket;
    if (s == NO_SOCKET || size <= 0) return 0;
    int n = sockRecv(s, buffer, size);
    if (connectedSocket == s) rearmDataArrived();
    if (n < 0) {
        statusText = "Fehler...";
        errorText = "Lesefehler";
    }
    return n;
}
