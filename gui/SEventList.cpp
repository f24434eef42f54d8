#include "SEventList.h"

#include <algorithm>

void SEventList::removeTarget(const void* target) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [target](const Entry& e) { return e.target == target; }),
                  entries.end());
}

int SEventList::dispatch(UINT message, WPARAM wParam, LPARAM lParam) const {
    int called = 0;
    // By index and on a copy of each action: an action may add entries (the vector may move).
    const size_t count = entries.size();
    for (size_t i = 0; i < count && i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.message != message) continue;
        if (e.controlId != anyControl && unsigned(e.controlId) != loWord(wParam)) continue;
        Action action = e.action;
        action(message, wParam, lParam);
        ++called;
    }
    return called;
}
