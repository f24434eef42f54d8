#pragma once

#include "SHtmlEventSink.h"

// Sink of the page document's events (connected by the page host). The handlers do nothing; those
// that may cancel return 0.
class SDocumentEvents2 : public SHtmlEventSink {
public:
    SDocumentEvents2();
    const char* getClassName() const override { return "SDocumentEvents2"; }

    VYX_HTML_DOCUMENT_EVENTS(VYX_HTML_CANCEL_HANDLER, VYX_HTML_NOTIFY_HANDLER)
};
