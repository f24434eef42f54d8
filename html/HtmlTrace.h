#pragma once

#include "SString.h"

// Every trace line of the page host passes here on its way to the trace channel, so that a
// listener (the tests) can read the lines back while the channel itself only sends them out.
class HtmlTraceListener {
public:
    virtual ~HtmlTraceListener() = default;
    virtual void onTrace(const SString& line) = 0;
};

void htmlTrace(const SString& line);
void htmlTraceFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Installs l (not owned); nullptr removes it. Returns the previous one.
HtmlTraceListener* setHtmlTraceListener(HtmlTraceListener* l);
