#include "SMapStringToString.h"

#include "ArrayCapacity.h"

#include <cstdlib>
#include <cstring>

SMapStringToString::SMapStringToString() : items(nullptr), count(0), capacity(0) {}

SMapStringToString::SMapStringToString(const SMapStringToString& other) : SMapStringToString() {
    *this = other;
}

SMapStringToString& SMapStringToString::operator=(const SMapStringToString& other) {
    if (&other == this) return *this;
    clear();
    emptyValue = other.emptyValue;
    for (int i = 0; i < other.count; ++i)
        set(*other.items[i].key, *other.items[i].value);
    return *this;
}

SMapStringToString::~SMapStringToString() {
    clear();
    std::free(items);
}

void SMapStringToString::fitCapacity(int newCount) {
    fitArrayCapacity(items, capacity, newCount);
}

int SMapStringToString::indexOf(const SString& key) const {
    for (int i = 0; i < count; ++i)
        if (items[i].key->compare(key) == 0) return i;
    return -1;
}

bool SMapStringToString::set(const SString& key, const SString& value) {
    const int i = indexOf(key);
    if (i >= 0) {
        items[i].value->set(value);
        return false;
    }
    fitCapacity(count + 1);
    items[count].key = new SString(key);
    items[count].value = new SString(value);
    ++count;
    return true;
}

SString& SMapStringToString::get(const SString& key, bool create) {
    int i = indexOf(key);
    if (i < 0) {
        if (!create) return emptyValue;
        set(key, emptyValue);
        i = count - 1;
    }
    return *items[i].value;
}

bool SMapStringToString::lookup(const SString& key, SString& value) const {
    const int i = indexOf(key);
    if (i < 0) return false;
    value.set(*items[i].value);
    return true;
}

int SMapStringToString::remove(const SString& key) {
    const int i = indexOf(key);
    if (i < 0) return -1;
    delete items[i].key;
    delete items[i].value;
    std::memmove(items + i, items + i + 1, size_t(count - i - 1) * sizeof(Pair));
    --count;
    items[count] = Pair{nullptr, nullptr};
    fitCapacity(count);
    return i;
}

void SMapStringToString::clear() {
    for (int i = 0; i < count; ++i) {
        delete items[i].key;
        delete items[i].value;
        items[i] = Pair{nullptr, nullptr};
    }
    count = 0;
    if (items != nullptr) fitCapacity(0);
}

const SString& SMapStringToString::keyAt(int index) const {
    if (index < 0 || index >= count) return emptyValue;
    return *items[index].key;
}

const SString& SMapStringToString::valueAt(int index) const {
    if (index < 0 || index >= count) return emptyValue;
    return *items[index].value;
}

bool SMapStringToString::entryAt(int index, SString& key, SString& value) const {
    if (index < 0 || index >= count) return false;
    key.set(*items[index].key);
    value.set(*items[index].value);
    return true;
}

SString SMapStringToString::join(const SString& keySeparator, const SString& pairSeparator) const {
    SString result;
    for (int i = 0; i < count; ++i) {
        if (i > 0) result.append(pairSeparator, -1);
        result.append(*items[i].key, -1);
        result.append(keySeparator, -1);
        result.append(*items[i].value, -1);
    }
    return result;
}

int SMapStringToString::parse(const SString& text, const SString& pairSeparator, const SString& keySeparator,
                              bool clearFirst) {
    if (clearFirst) clear();
    // Lengths as the search sees them (up to a NUL byte). Empty separators would be found
    // everywhere and never move the walk on.
    const int pairLength = int(std::strlen(pairSeparator.getChars()));
    const int keyLength = int(std::strlen(keySeparator.getChars()));
    if (pairLength == 0 || keyLength == 0) return -1;
    int pairs = 0;
    int pos = 0;
    const int length = text.getLength();
    while (pos < length) {
        const int p = text.find(pairSeparator, pos);
        const int k = text.find(keySeparator, pos);
        // A piece without a key separator is malformed, also the last one.
        if (k < 0 || (p >= 0 && p < k)) return -1;
        const int valueStart = k + keyLength;
        const int valueEnd = p >= 0 ? p : length;
        set(text.mid(pos, k - pos),
            valueEnd > valueStart ? text.mid(valueStart, valueEnd - valueStart) : SString());
        ++pairs;
        if (p < 0) break;
        pos = p + pairLength;
    }
    return pairs;
}

SString SMapStringToString::substitute(const SString& templateText, const SString& prefix,
                                       const SString& suffix) const {
    SString result(templateText);
    for (int i = 0; i < count; ++i) {
        SString placeholder(prefix);
        placeholder.append(*items[i].key, -1);
        placeholder.append(suffix, -1);
        result.replace(placeholder, *items[i].value, false);
    }
    return result;
}
