#include "SDocumentEvents2.h"

VYX_HTML_EVENT_SINK(SDocumentEvents2, VYX_HTML_DOCUMENT_EVENTS, DIID_HTMLDocumentEvents2, 38)
