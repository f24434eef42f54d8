#pragma once

#include "SHtmlEventSink.h"

// Sink of a page element's events (connected by a page class where it needs them).
// The handlers do nothing; those that may cancel return 0.
class SElementEvents2 : public SHtmlEventSink {
public:
    SElementEvents2();
    const char* getClassName() const override { return "SElementEvents2"; }

    VYX_HTML_ELEMENT_EVENTS(VYX_HTML_CANCEL_HANDLER, VYX_HTML_NOTIFY_HANDLER)
};
