#pragma once

#include "SString.h"

// Placeholder with the final public interface of the trace channel; the TCP-backed class
// replaces it. Trace lines name class and method: "SComPort::open(..) ...".
class SDebug {
public:
    virtual ~SDebug() = default;
    virtual const char* getClassName() const { return "SDebug"; }
    void trace(const SString& /*text*/) {}
    void traceFormat(const char* /*fmt*/, ...) __attribute__((format(printf, 2, 3))) {}
};

SDebug& globalDebug();
