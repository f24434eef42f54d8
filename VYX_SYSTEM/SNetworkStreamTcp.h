#pragma once

#include "SNetworkStream.h"

// The TCP stream over IPv4 sockets: connect as client, listen as server, accept, send, receive.
// A subclass with handlers of its own calls close() in its destructor, so the worker stops
// while those handlers still exist.
class SNetworkStreamTcp : public SNetworkStream {
public:
    SNetworkStreamTcp() = default;
    ~SNetworkStreamTcp() override;
    const char* getClassName() const override { return "SNetworkStreamTcp"; }

    bool connectAsClient() override;
    bool startAsServer() override;
    SString receive() override;
    bool send(const SString& text) override;
    bool send(const char* data, int size) override;
    int receive(char* buffer, int size) override;

    // Takes the next waiting connection request as this stream's connection.
    bool accept();

    // The port the server listens on (the free one chosen for port 0), -1 when not listening.
    int getListeningPort() const;

private:
    // Sets errorText to the step's text followed by the system's message for the last failure.
    void failStep(const char* stepText);
};
