#pragma once

#include "SString.h"
#include "SThread.h"
#include "Sockets.h"

#include <atomic>
#include <cstdint>

// The window that receives socket notifications; opaque to the stream until the window framework
// gives it a type.
typedef void* NotifyWindow;

// A byte stream over a socket, as client or server. Failures set the error and status texts and
// return false; nothing is shown. The stream's worker thread (start()) watches the socket and
// calls the on... handlers on that thread.
class SNetworkStream : public SThread {
public:
    SNetworkStream();
    ~SNetworkStream() override;
    const char* getClassName() const override { return "SNetworkStream"; }

    // The event-driven worker: while a socket exists, waits up to 200 ms for its events and calls
    // the handlers of those that occurred. Data arrived is reported again only after receive()
    // has been called, a connection request after accept(), ready to write once per connection.
    int onWorkThread() override;

    // Refused while connected or started as server (status "Fehler...").
    bool createClient(NotifyWindow window, int port, const SString& host);
    bool createServer(NotifyWindow window, int port, const SString& host);

    virtual bool connectAsClient() = 0;
    virtual bool startAsServer() = 0;
    // Everything that has arrived, in chunks of 1000 bytes; "" without a connection.
    virtual SString receive() = 0;
    // Sends all bytes of the text.
    virtual bool send(const SString& text) = 0;
    virtual void onDataArrived() {}
    virtual void onReadyToWrite() {}
    virtual void onConnectionRequest() {}
    virtual void onConnectionClosed() {}
    virtual bool send(const char* data, int size) = 0;
    // Bytes read into buffer (at most size), 0 without a connection or when the peer has closed,
    // -1 on failure.
    virtual int receive(char* buffer, int size) = 0;

    // Closes both sockets; the worker, if it runs, ends.
    void close();
    // Connected to exactly this host text and this port (-1: any port).
    bool isConnectedTo(const SString& host, int port = -1) const;

    const SString& getErrorText() const { return errorText; }
    const SString& getStatusText() const { return statusText; }
    bool isConnected() const { return connected; }
    const SString& getHost() const { return host; }
    int getPort() const { return port; }
    NotifyWindow getNotifyWindow() const { return notifyWindow; }

protected:
    // The connection's events are watched afresh (after connect or accept).
    void armConnectionEvents();
    // After a read, data arrived is reported again, unless the connection has ended.
    void rearmDataArrived();

    SString errorText;
    std::atomic<SocketHandle> listenSocket;
    std::atomic<SocketHandle> connectedSocket;
    int socketType;
    SString statusText;
    bool connected;
    SString host;
    NotifyWindow notifyWindow;
    uint16_t port;
    // Events the worker still waits for (SOCK_EVENT_*), per socket.
    std::atomic<int> connectionEvents;
    std::atomic<int> listenEvents;
};
