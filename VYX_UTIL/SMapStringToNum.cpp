#include "SMapStringToNum.h"

#include "ArrayCapacity.h"

#include <cstdlib>
#include <cstring>

SMapStringToNum::SMapStringToNum() : items(nullptr), count(0), capacity(0), spare(0) {}

SMapStringToNum::SMapStringToNum(const SMapStringToNum& other) : SMapStringToNum() {
    *this = other;
}

SMapStringToNum& SMapStringToNum::operator=(const SMapStringToNum& other) {
    if (&other == this) return *this;
    clear();
    for (int i = 0; i < other.count; ++i)
        set(*other.items[i].key, other.items[i].value);
    return *this;
}

SMapStringToNum::~SMapStringToNum() {
    clear();
    std::free(items);
}

void SMapStringToNum::fitCapacity(int newCount) {
    fitArrayCapacity(items, capacity, newCount);
}

int SMapStringToNum::indexOf(const SString& key) const {
    for (int i = 0; i < count; ++i)
        if (items[i].key->compare(key) == 0) return i;
    return -1;
}

bool SMapStringToNum::set(const SString& key, int value) {
    const int i = indexOf(key);
    if (i >= 0) {
        items[i].value = value;
        return false;
    }
    fitCapacity(count + 1);
    items[count].key = new SString(key);
    items[count].value = value;
    ++count;
    return true;
}

int& SMapStringToNum::get(const SString& key, bool create) {
    int i = indexOf(key);
    if (i < 0) {
        spare = 0;
        if (!create) return spare;
        set(key, 0);
        i = count - 1;
    }
    return items[i].value;
}

bool SMapStringToNum::lookup(const SString& key, int& value) const {
    const int i = indexOf(key);
    if (i < 0) return false;
    value = items[i].value;
    return true;
}

int SMapStringToNum::remove(const SString& key) {
    const int i = indexOf(key);
    if (i < 0) return -1;
    delete items[i].key;
    std::memmove(items + i, items + i + 1, size_t(count - i - 1) * sizeof(Pair));
    --count;
    items[count] = Pair{nullptr, 0};
    fitCapacity(count);
    return i;
}

void SMapStringToNum::clear() {
    for (int i = 0; i < count; ++i) {
        delete items[i].key;
        items[i] = Pair{nullptr, 0};
    }
    count = 0;
    if (items != nullptr) fitCapacity(0);
}

const SString& SMapStringToNum::keyAt(int index) const {
    if (index < 0 || index >= count) return emptyKey;
    return *items[index].key;
}

int SMapStringToNum::valueAt(int index) const {
    if (index < 0 || index >= count) return 0;
    return items[index].value;
}

bool SMapStringToNum::entryAt(int index, SString& key, int& value) const {
    if (index < 0 || index >= count) return false;
    key.set(*items[index].key);
    value = items[index].value;
    return true;
}

SString SMapStringToNum::join(const SString& keySeparator, const SString& pairSeparator) const {
    SString result;
    for (int i = 0; i < count; ++i) {
        if (i > 0) result.append(pairSeparator, -1);
        result.append(*items[i].key, -1);
        result.append(keySeparator, -1);
        result.append(SString::fromInt(items[i].value), -1);
    }
    return result;
}
