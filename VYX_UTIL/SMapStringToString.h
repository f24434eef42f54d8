#pragma once

#include "SString.h"

// An insertion-ordered map of unique, case-sensitive string keys to strings, array-backed, with
// linear lookup. The map owns its keys and values.
class SMapStringToString {
public:
    SMapStringToString();
    SMapStringToString(const SMapStringToString& other);
    SMapStringToString& operator=(const SMapStringToString& other);
    virtual ~SMapStringToString();
    virtual const char* getClassName() const { return "SMapStringToString"; }

    // Adds the pair at the end (true) or replaces the value of an existing key (false).
    bool set(const SString& key, const SString& value);
    // The value; a missing key is added with the empty value when create is set, otherwise the
    // map's empty value is returned.
    SString& get(const SString& key, bool create = false);
    bool lookup(const SString& key, SString& value) const;
    // Removes the pair; returns the index it had, -1 when the key is missing.
    int remove(const SString& key);
    void clear();
    int getCount() const { return count; }
    // Out of range: the empty value, without a message.
    const SString& keyAt(int index) const;
    const SString& valueAt(int index) const;
    bool entryAt(int index, SString& key, SString& value) const;
    // key + keySeparator + value for every pair, joined by pairSeparator.
    SString join(const SString& keySeparator, const SString& pairSeparator) const;

    // Reads "key<keySep>value<pairSep>key<keySep>value...": returns the number of pairs set, or
    // -1 when a piece has no key separator (the pairs set before it stay). An empty piece after
    // the last pair separator ends the text.
    int parse(const SString& text, const SString& pairSeparator, const SString& keySeparator,
              bool clearFirst = true);
    // The template with every prefix + key + suffix replaced by the key's value, pair by pair.
    SString substitute(const SString& templateText, const SString& prefix, const SString& suffix) const;

    const SString& getEmptyValue() const { return emptyValue; }
    void setEmptyValue(const SString& value) { emptyValue = value; }
    int getCapacity() const { return capacity; }

private:
    struct Pair {
        SString* key;
        SString* value;
    };
    int indexOf(const SString& key) const;
    void fitCapacity(int newCount);

    SString emptyValue;
    Pair* items;
    int count;
    int capacity;
};
