#include "SNetworkStream.h"

#include <chrono>
#include <thread>

SNetworkStream::SNetworkStream()
    : listenSocket(NO_SOCKET),
      connectedSocket(NO_SOCKET),
      socketType(1),
      connected(false),
      notifyWindow(nullptr),
      port(0),
      connectionEvents(0),
      listenEvents(0) {}

SNetworkStream::~SNetworkStream() {
    close();
}

bool SNetworkStream::createClient(NotifyWindow window, int newPort, const SString& newHost) {
    if (connected) {
        statusText = "Fehler...";
        errorText = "SNetworkStream::createClient(..) : Fehler, Stream ist bereits verbunden.";
        return false;
    }
    if (listenSocket != NO_SOCKET) {
        statusText = "Fehler...";
        errorText = "SNetworkStream::createClient(..) : Fehler, Stream ist bereits als Server gestartet.";
        return false;
    }
    notifyWindow = window;
    port = uint16_t(newPort);
    host = newHost;
    if (!connectAsClient()) {
        statusText = "Fehler...";
        errorText = SString("Fehler beim Erzeugen eines TCP-Clients\r\n") + errorText;
        return false;
    }
    statusText = "Client verbunden.";
    connected = true;
    return true;
}

bool SNetworkStream::createServer(NotifyWindow window, int newPort, const SString& newHost) {
    if (connected) {
        statusText = "Fehler...";
        errorText = "SNetworkStream::createServer(..) : Fehler, Stream ist bereits verbunden.";
        return false;
    }
    if (listenSocket != NO_SOCKET) {
        statusText = "Fehler...";
        errorText = "SNetworkStream::createServer(..) : Fehler, Stream ist bereits als Server gestartet.";
        return false;
    }
    notifyWindow = window;
    port = uint16_t(newPort);
    host = newHost;
    if (!startAsServer()) {
        statusText = "Fehler...";
        errorText = SString("Fehler beim Erzeugen eines TCP-Servers\r\n") + errorText;
        return false;
    }
    statusText = "Server gestartet.";
    return true;
}

void SNetworkStream::close() {
    // The worker must not wait on a socket that is being closed (its number could be reused at
    // once); a handler closing the stream on the worker itself only ends the worker's loop.
    terminate();
    sockClose(connectedSocket.exchange(NO_SOCKET));
    sockClose(listenSocket.exchange(NO_SOCKET));
    connectionEvents = 0;
    listenEvents = 0;
    statusText = "Verbindung beendet.";
    connected = false;
}

bool SNetworkStream::isConnectedTo(const SString& otherHost, int otherPort) const {
    if (!connected || host != otherHost) return false;
    return otherPort == -1 || otherPort == int(port);
}

void SNetworkStream::armConnectionEvents() {
    connectionEvents = SOCK_EVENT_READ | SOCK_EVENT_WRITE | SOCK_EVENT_CLOSE;
}

void SNetworkStream::rearmDataArrived() {
    int events = connectionEvents.load();
    while ((events & SOCK_EVENT_CLOSE) != 0 &&
           !connectionEvents.compare_exchange_weak(events, events | SOCK_EVENT_READ)) {
    }
}

int SNetworkStream::onWorkThread() {
    while (!stopRequested()) {
        SockWaitItem items[2];
        int count = 0;
        SocketHandle listening = listenSocket;
        SocketHandle connection = connectedSocket;
        if (listening == NO_SOCKET && connection == NO_SOCKET) break;
        if (connection != NO_SOCKET && connectionEvents != 0)
            items[count++] = {connection, connectionEvents, 0};
        if (listening != NO_SOCKET && listenEvents != 0) items[count++] = {listening, listenEvents, 0};
        if (count == 0) {
            // Nothing to watch until the handlers have read or accepted.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            continue;
        }
        int rc = sockWait(items, count, 200);
        if (rc < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            continue;
        }
        for (int i = 0; i < count; ++i) {
            int events = items[i].events;
            if (events == 0) continue;
            if (items[i].socket == connection) {
                // An ended connection reports nothing more; bytes still waiting are reported
                // with it.
                if (events & SOCK_EVENT_CLOSE)
                    connectionEvents = 0;
                else
                    connectionEvents &= ~events;
            } else {
                listenEvents &= ~events;
            }
            if (events & SOCK_EVENT_READ) onDataArrived();
            if (events & SOCK_EVENT_WRITE) onReadyToWrite();
            if (events & SOCK_EVENT_ACCEPT) onConnectionRequest();
            if (events & SOCK_EVENT_CLOSE) onConnectionClosed();
        }
    }
    return 0;
}
