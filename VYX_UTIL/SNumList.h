#pragma once

#include "SString.h"

// An ordered list of 32-bit integers, array-backed, with linear search, and the parser that
// turns a user's list of numbers and quoted texts into values (the bytes sent to the device).
class SNumList {
public:
    SNumList();
    SNumList(const SNumList& other);
    SNumList& operator=(const SNumList& other);
    virtual ~SNumList();
    virtual const char* getClassName() const { return "SNumList"; }

    int getCount() const { return count; }
    // Out of range: error box, then the nearest valid entry (a zero spare entry when empty).
    int& getAt(int index);
    int getAt(int index) const;
    int& operator[](int index) { return getAt(index); }
    int operator[](int index) const { return getAt(index); }
    bool setAt(int index, int value);
    int insertAt(int index, int value);
    int add(int value, bool unique = false);
    int find(int value, int start = 0) const;
    bool removeAt(int index);
    int removeAll(int value);
    void clear();
    void sort(int direction = 1);
    int getCapacity() const { return capacity; }

    // Tokens separated by blanks, control characters or commas (outside double quotes): a
    // quoted token adds the signed 8-bit code of each byte between the quotes, any other token
    // its toInt value (decimal, 0x hex, 0b binary, #RRGGBB). With rejected given, a token that
    // is not one whole number is copied into it and parsing stops with false.
    bool parse(const SString& text, bool clearFirst = true, SString* rejected = nullptr);
    // Empties the list and adds toInt of each piece between separators; an empty rest after the
    // last separator is not added. An empty separator is refused (0, list empty).
    int split(const SString& text, const SString& separator);

private:
    void fitCapacity();

    int* items;
    int count;
    int capacity;
    mutable int spare;  // handed out by getAt on an empty list
};
