#include "SMapNumToString.h"

#include "ArrayCapacity.h"

#include <cstdlib>
#include <cstring>

SMapNumToString::SMapNumToString() : items(nullptr), count(0), capacity(0) {}

SMapNumToString::SMapNumToString(const SMapNumToString& other) : SMapNumToString() {
    *this = other;
}

SMapNumToString& SMapNumToString::operator=(const SMapNumToString& other) {
    if (&other == this) return *this;
    clear();
    emptyValue = other.emptyValue;
    for (int i = 0; i < other.count; ++i)
        set(other.items[i].key, *other.items[i].value);
    return *this;
}

SMapNumToString::~SMapNumToString() {
    clear();
    std::free(items);
}

void SMapNumToString::fitCapacity(int newCount) {
    fitArrayCapacity(items, capacity, newCount);
}

int SMapNumToString::indexOf(int key) const {
    for (int i = 0; i < count; ++i)
        if (items[i].key == key) return i;
    return -1;
}

bool SMapNumToString::set(int key, const SString& value) {
    const int i = indexOf(key);
    if (i >= 0) {
        items[i].value->set(value);
        return false;
    }
    fitCapacity(count + 1);
    items[count].key = key;
    items[count].value = new SString(value);
    ++count;
    return true;
}

SString& SMapNumToString::get(int key, bool create) {
    int i = indexOf(key);
    if (i < 0) {
        if (!create) return emptyValue;
        set(key, emptyValue);
        i = count - 1;
    }
    return *items[i].value;
}

bool SMapNumToString::lookup(int key, SString& value) const {
    const int i = indexOf(key);
    if (i < 0) return false;
    value.set(*items[i].value);
    return true;
}

int SMapNumToString::remove(int key) {
    const int i = indexOf(key);
    if (i < 0) return -1;
    delete items[i].value;
    std::memmove(items + i, items + i + 1, size_t(count - i - 1) * sizeof(Pair));
    --count;
    items[count] = Pair{0, nullptr};
    fitCapacity(count);
    return i;
}

void SMapNumToString::clear() {
    for (int i = 0; i < count; ++i) {
        delete items[i].value;
        items[i] = Pair{0, nullptr};
    }
    count = 0;
    if (items != nullptr) fitCapacity(0);
}

int SMapNumToString::keyAt(int index) const {
    if (index < 0 || index >= count) return 0;
    return items[index].key;
}

const SString& SMapNumToString::valueAt(int index) const {
    if (index < 0 || index >= count) return emptyValue;
    return *items[index].value;
}

bool SMapNumToString::entryAt(int index, int& key, SString& value) const {
    if (index < 0 || index >= count) return false;
    key = items[index].key;
    value.set(*items[index].value);
    return true;
}

SString SMapNumToString::join(const SString& keySeparator, const SString& pairSeparator) const {
    SString result;
    for (int i = 0; i < count; ++i) {
        if (i > 0) result.append(pairSeparator, -1);
        result.append(SString::fromInt(items[i].key), -1);
        result.append(keySeparator, -1);
        result.append(*items[i].value, -1);
    }
    return result;
}
