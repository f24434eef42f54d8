#include "SElementEvents2.h"

VYX_HTML_EVENT_SINK(SElementEvents2, VYX_HTML_ELEMENT_EVENTS, DIID_HTMLElementEvents2, 61)
