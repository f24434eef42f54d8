#pragma once

// Pieces the page engines (webkit/ and memory/) share in their object models: the sinks of a
// connection point, and the position or name a collection's item call is given.

#include "PageModel.h"

#include <utility>
#include <vector>

// The sinks connected to one connection point, each held by its IDispatch face. The owner's
// Advise and Unadvise hand over to advise and unadvise; sinks still connected when the list goes
// are let go (a host disconnects them before).
class ConnectedSinks {
public:
    ConnectedSinks() = default;
    ConnectedSinks(const ConnectedSinks&) = delete;
    ConnectedSinks& operator=(const ConnectedSinks&) = delete;
    ~ConnectedSinks();

    HRESULT advise(IUnknown* sink, DWORD* cookie);
    HRESULT unadvise(DWORD cookie);
    // Calls Invoke as a method on every sink connected when the call starts, each held while it
    // is called: a sink may disconnect itself or another meanwhile. With a result, it is emptied
    // before each call and holds the last sink's answer; returns the last sink's result (S_OK
    // without sinks).
    HRESULT invokeAll(DISPID dispId, DISPPARAMS& parameters, VARIANT* result = nullptr);
    int count() const { return int(sinks.size()); }

private:
    std::vector<std::pair<DWORD, IDispatch*>> sinks;
    DWORD nextCookie = 1;
};

// The number a collection's item call carries (a position, or which of several same-named
// elements): true with the number for the integer types a caller passes, false otherwise.
bool variantInteger(const VARIANT& v, long& number);
