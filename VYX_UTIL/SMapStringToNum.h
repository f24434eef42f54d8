#pragma once

#include "SString.h"

// An insertion-ordered map of unique, case-sensitive string keys to integers, array-backed, with
// linear lookup. The map owns its keys.
class SMapStringToNum {
public:
    SMapStringToNum();
    SMapStringToNum(const SMapStringToNum& other);
    SMapStringToNum& operator=(const SMapStringToNum& other);
    virtual ~SMapStringToNum();
    virtual const char* getClassName() const { return "SMapStringToNum"; }

    bool set(const SString& key, int value);
    // A missing key is added with the value 0 when create is set; otherwise a spare 0 is returned.
    int& get(const SString& key, bool create = false);
    bool lookup(const SString& key, int& value) const;
    int remove(const SString& key);
    void clear();
    int getCount() const { return count; }
    // Out of range: "" or 0, without a message.
    const SString& keyAt(int index) const;
    int valueAt(int index) const;
    bool entryAt(int index, SString& key, int& value) const;
    // Values are written with thousands separators (SString::fromInt).
    SString join(const SString& keySeparator, const SString& pairSeparator) const;
    int getCapacity() const { return capacity; }

private:
    struct Pair {
        SString* key;
        int value;
    };
    int indexOf(const SString& key) const;
    void fitCapacity(int newCount);

    Pair* items;
    int count;
    int capacity;
    int spare;
    SString emptyKey;
};
