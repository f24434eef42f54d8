#pragma once

#include "SNetworkStreamTcp.h"
#include "SString.h"

// The trace channel: sends text lines (each followed by CR LF) to a monitor program over TCP.
// It is off at construction; enable() switches it on. The connection is made at the first line
// after that and kept; a monitor that does not answer then silences the channel for good, without
// any message. Trace lines name class and method: "SComPort::open(..) ...".
// Calls come from the user-interface thread; the channel takes no locks.
class SDebug : public SNetworkStreamTcp {
public:
    enum ConnectionState { NOT_TRIED = 0, CONNECTED = 1, FAILED = 2 };

    SDebug();
    ~SDebug() override;
    const char* getClassName() const override { return "SDebug"; }

    void trace(const SString& text);
    // Formats into 5000 characters at most (longer output is cut) and traces the result.
    void traceFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Switches tracing on towards the monitor at host:port; the connection is tried at the next
    // line.
    void enable(const SString& host, int port);
    bool isEnabled() const { return !disabled; }
    int getConnectionState() const { return connectionState; }

    // Reads a VYX_TRACE value: "1" is the monitor at localhost:5001, "host:port" that monitor.
    // false (tracing stays off) for an unset or empty value and anything else.
    static bool parseSetting(const char* value, SString& host, int& port);

private:
    int monitorPort;
    SString monitorHost;
    bool disabled;
    int connectionState;
};

// The program's trace channel, switched on by the environment variable VYX_TRACE.
SDebug& globalDebug();
