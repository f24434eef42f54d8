#pragma once

#include "HtmlEventLists.h"
#include "SHtmlWrappers.h"
#include "SIDispatch.h"

#include <cstddef>

// Base of the page's document and element event sinks: one table row per event (built from the
// lists in HtmlEventLists.h) and one Invoke for both. Each event's one argument, the event object,
// reaches its handler wrapped in an SHtmlEventObj; a handler that may cancel gives its result
// back to the page as a VARIANT_BOOL in the call's result. Calls of other DISPIDs go to
// SIDispatch::Invoke.
class SHtmlEventSink : public SIDispatch {
public:
    struct Row {
        DISPID id;
        int (*call)(SHtmlEventSink& sink, SHtmlEventObj& event);  // the handler; 0 for notifications
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

protected:
    SHtmlEventSink(const IID& eventInterface, const Row* rows, size_t rowCount)
        : eventInterface(eventInterface), rowTable(rows), rowCount(rowCount) {}

private:
    const IID& eventInterface;
    const Row* rowTable;
    size_t rowCount;
};

// The do-nothing handlers of an event list, declared inside the sink class:
// LIST(VYX_HTML_CANCEL_HANDLER, VYX_HTML_NOTIFY_HANDLER).
#define VYX_HTML_CANCEL_HANDLER(name, id)        \
    virtual int name(SHtmlEventObj& /*event*/) { \
        return 0;                                \
    }
#define VYX_HTML_NOTIFY_HANDLER(name, id) \
    virtual void name(SHtmlEventObj& /*event*/) {}

// The table rows of an event list, where Sink names the sink class:
// LIST(VYX_HTML_CANCEL_ROW, VYX_HTML_NOTIFY_ROW).
#define VYX_HTML_CANCEL_ROW(name, id) \
    {id, [](SHtmlEventSink& sink, SHtmlEventObj& event) { return static_cast<Sink&>(sink).name(event); }},
#define VYX_HTML_NOTIFY_ROW(name, id)                     \
    {id, [](SHtmlEventSink& sink, SHtmlEventObj& event) { \
         static_cast<Sink&>(sink).name(event);            \
         return 0;                                        \
     }},

// The table and constructor of a sink class for its event list, in the class's source file.
#define VYX_HTML_EVENT_SINK(Class, LIST, eventInterface, count)                               \
    namespace {                                                                               \
    using Sink = Class;                                                                       \
    const SHtmlEventSink::Row eventRows[] = {LIST(VYX_HTML_CANCEL_ROW, VYX_HTML_NOTIFY_ROW)}; \
    static_assert(sizeof eventRows / sizeof eventRows[0] == count, "one row per event");      \
    }                                                                                         \
    Class::Class() : SHtmlEventSink(eventInterface, eventRows, sizeof eventRows / sizeof eventRows[0]) {}
