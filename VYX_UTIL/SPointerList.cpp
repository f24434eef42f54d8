#include "SPointerList.h"

#include "ArrayCapacity.h"
#include "ListIndexError.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

const int INITIAL_CAPACITY = 10;

}  // namespace

SPointerList::SPointerList() : count(0), capacity(INITIAL_CAPACITY) {
    items = static_cast<void**>(std::calloc(size_t(capacity), sizeof(void*)));
}

SPointerList::SPointerList(const SPointerList& other) : SPointerList() {
    *this = other;
}

SPointerList& SPointerList::operator=(const SPointerList& other) {
    if (&other == this) return *this;
    clear();
    for (int i = 0; i < other.count; ++i)
        add(other.items[i]);
    return *this;
}

SPointerList::~SPointerList() {
    std::free(items);
}

void SPointerList::fitCapacity() {
    fitArrayCapacity(items, capacity, count);
}

void* SPointerList::getAt(int index) const {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        if (count == 0) return nullptr;
        index = index < 0 ? 0 : count - 1;
    }
    return items[index];
}

bool SPointerList::setAt(int index, void* entry) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "getAt", index, count);
        return false;
    }
    items[index] = entry;
    return true;
}

int SPointerList::insertAt(int index, void* entry) {
    if (index < 0 || index > count) {
        showListIndexError(getClassName(), "insertAt", index, count);
        return -1;
    }
    std::memmove(items + index + 1, items + index, size_t(count - index) * sizeof(void*));
    items[index] = entry;
    ++count;
    fitCapacity();
    return index;
}

int SPointerList::add(void* entry, bool unique) {
    if (unique) {
        int found = find(entry);
        if (found >= 0) return found;
    }
    return insertAt(count, entry);
}

int SPointerList::find(const void* entry, int start) const {
    if (start < 0) start = 0;
    for (int i = start; i < count; ++i)
        if (items[i] == entry) return i;
    return -1;
}

bool SPointerList::removeAt(int index) {
    if (index < 0 || index >= count) {
        showListIndexError(getClassName(), "removeAt", index, count);
        return false;
    }
    std::memmove(items + index, items + index + 1, size_t(count - index - 1) * sizeof(void*));
    --count;
    items[count] = nullptr;
    fitCapacity();
    return true;
}

int SPointerList::removeAll(const void* entry) {
    int removed = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (items[i] == entry) {
            removeAt(i);
            ++removed;
        }
    }
    return removed;
}

void SPointerList::clear() {
    while (count > 0)
        removeAt(0);
}

void SPointerList::sort(int direction) {
    if (count < 2) return;
    // Equal entries cannot be told apart, so any sorting algorithm gives the same list.
    if (direction < 0)
        std::sort(items, items + count, [](void* a, void* b) { return std::greater<void*>()(a, b); });
    else
        std::sort(items, items + count, [](void* a, void* b) { return std::less<void*>()(a, b); });
}
