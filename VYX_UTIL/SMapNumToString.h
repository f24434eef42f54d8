#pragma once

#include "SString.h"

// An insertion-ordered map of unique integer keys to strings, array-backed, with linear lookup.
// The map owns its values.
class SMapNumToString {
public:
    SMapNumToString();
    SMapNumToString(const SMapNumToString& other);
    SMapNumToString& operator=(const SMapNumToString& other);
    virtual ~SMapNumToString();
    virtual const char* getClassName() const { return "SMapNumToString"; }

    bool set(int key, const SString& value);
    SString& get(int key, bool create = false);
    bool lookup(int key, SString& value) const;
    int remove(int key);
    void clear();
    int getCount() const { return count; }
    // Out of range: 0 or the empty value, without a message.
    int keyAt(int index) const;
    const SString& valueAt(int index) const;
    bool entryAt(int index, int& key, SString& value) const;
    // Keys are written with thousands separators (SString::fromInt).
    SString join(const SString& keySeparator, const SString& pairSeparator) const;

    const SString& getEmptyValue() const { return emptyValue; }
    void setEmptyValue(const SString& value) { emptyValue = value; }
    int getCapacity() const { return capacity; }

private:
    struct Pair {
        int key;
        SString* value;
    };
    int indexOf(int key) const;
    void fitCapacity(int newCount);

    SString emptyValue;
    Pair* items;
    int count;
    int capacity;
};
