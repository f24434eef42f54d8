#include "STimerList.h"

namespace {
const int kSlack = 101;     // room made on a resize: count + kSlack pairs
const int kMaxSpare = 150;  // more spare pairs than this shrink the array
}  // namespace

STimerList::~STimerList() {
    delete[] items;
}

int STimerList::indexOf(unsigned id) const {
    for (int i = 0; i < count; ++i)
        if (items[i].id == id) return i;
    return -1;
}

void STimerList::fitCapacity(int newCount) {
    if (capacity >= newCount + 1 && capacity <= newCount + kMaxSpare) return;
    const int newCapacity = newCount + kSlack;
    Pair* newItems = new Pair[newCapacity];
    for (int i = 0; i < count; ++i)
        newItems[i] = items[i];
    delete[] items;
    items = newItems;
    capacity = newCapacity;
}

int STimerList::set(unsigned id, const STimerListEntry& entry) {
    const int index = indexOf(id);
    if (index >= 0) {
        items[index].entry = entry;
        return 0;
    }
    // The size rule for the count after the insertion, applied before it so the new pair has room.
    fitCapacity(count + 1);
    items[count].id = id;
    items[count].entry = entry;
    ++count;
    return 1;
}

STimerListEntry STimerList::find(unsigned id) const {
    const int index = indexOf(id);
    return index >= 0 ? items[index].entry : emptyEntry;
}

int STimerList::remove(unsigned id) {
    const int index = indexOf(id);
    if (index < 0) return 0;
    for (int i = index; i + 1 < count; ++i)
        items[i] = items[i + 1];
    --count;
    items[count].entry = STimerListEntry();
    fitCapacity(count);
    return 1;
}

unsigned STimerList::getIdAt(int index) const {
    return index >= 0 && index < count ? items[index].id : 0;
}

STimerListEntry STimerList::getEntryAt(int index) const {
    return index >= 0 && index < count ? items[index].entry : emptyEntry;
}

void STimerList::removeAll() {
    delete[] items;
    items = nullptr;
    count = 0;
    capacity = 0;
}
