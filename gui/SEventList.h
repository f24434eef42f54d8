#pragma once

#include "SWindowTypes.h"

#include <functional>
#include <vector>

// A window's event list: entries of a message, an optional control id, a target and an action.
// A message walks the list in order and calls the action of every entry whose message matches and,
// when the entry names a control id, whose control id equals the low word of wParam.
class SEventList {
public:
    static const int anyControl = -1;

    using Action = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
    struct Entry {
        UINT message;
        int controlId;  // anyControl: every sender
        void* target;
        Action action;
    };

    virtual ~SEventList() = default;
    virtual const char* getClassName() const { return "SEventList"; }

    // target->action() for the message (and control id).
    template <class T, class R>
    void add(UINT message, int controlId, T* target, R (T::*action)()) {
        entries.push_back(
            {message, controlId, target, [target, action](UINT, WPARAM, LPARAM) { (target->*action)(); }});
    }
    void add(UINT message, int controlId, void* target, Action action) {
        entries.push_back({message, controlId, target, std::move(action)});
    }
    // Removes every entry of target.
    void removeTarget(const void* target);

    // Calls every matching entry's action; returns how many were called. Entries added by an action
    // take part from the next message on.
    int dispatch(UINT message, WPARAM wParam, LPARAM lParam) const;

    int getCount() const { return int(entries.size()); }
    const Entry& getAt(int i) const { return entries[size_t(i)]; }

private:
    std::vector<Entry> entries;
};
