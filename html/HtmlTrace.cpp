#include "HtmlTrace.h"

#include "SDebug.h"

#include <cstdarg>

namespace {
HtmlTraceListener* listener = nullptr;
}

void htmlTrace(const SString& line) {
    globalDebug().trace(line);
    if (listener != nullptr) listener->onTrace(line);
}

void htmlTraceFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    SString line;
    line.formatV(fmt, args);
    va_end(args);
    htmlTrace(line);
}

HtmlTraceListener* setHtmlTraceListener(HtmlTraceListener* l) {
    HtmlTraceListener* previous = listener;
    listener = l;
    return previous;
}
