#pragma once

#include "SString.h"

// An ordered list of strings, array-backed, with linear search. The list owns its strings.
// Index errors are shown in an error box and never stop the program.
class SStringList {
public:
    SStringList();
    SStringList(const SStringList& other);
    SStringList& operator=(const SStringList& other);
    virtual ~SStringList();
    virtual const char* getClassName() const { return "SStringList"; }

    int getCount() const { return count; }
    // Out of range: error box, then the nearest valid entry (a blank spare entry when empty).
    SString& getAt(int index);
    const SString& getAt(int index) const;
    SString& operator[](int index) { return getAt(index); }
    const SString& operator[](int index) const { return getAt(index); }
    // True; out of range: error box (naming getAt) and false.
    bool setAt(int index, const SString& entry);
    // Inserts before index (index == count appends); returns index, or -1 (with error box).
    int insertAt(int index, const SString& entry);
    // With unique set, the index of an equal entry when there is one; else appends.
    int add(const SString& entry, bool unique = false);
    // Index of the first equal entry at or after start, -1 if none.
    int find(const SString& entry, int start = 0) const;
    // Removes and destroys the entry; out of range: error box, nothing removed, false.
    bool removeAt(int index);
    // Removes every equal entry; returns the number removed.
    int removeAll(const SString& entry);
    void clear();
    // direction +1 ascending, -1 descending.
    void sort(int direction = 1);

    // Comparisons in find, removeAll and sort ignore case when set (false at construction).
    bool getIgnoreCase() const { return ignoreCase; }
    void setIgnoreCase(bool ignore) { ignoreCase = ignore; }
    // Number of entries the array has room for (grows and shrinks with hysteresis).
    int getCapacity() const { return capacity; }

    // Empties the list and adds the pieces between the separators: n separators give n + 1
    // pieces. An empty separator is refused: the list stays empty and the result is 0.
    int split(const SString& text, const SString& separator);
    // Empties the list and adds the blank-separated words; double quotes group blanks into a
    // word, and a word enclosed in double quotes loses them. Returns the count.
    int splitWords(const SString& text);
    // Empties the list and adds the pieces between separators that are not inside a bracket or
    // quote pair (quotePairs: opening and closing character, two per pair). With escape set an
    // apostrophe protects the following byte. Pieces keep their quotes; an empty rest after the
    // last separator is not added. Returns the count.
    int splitQuoted(const SString& text, char separator, const SString& quotePairs, bool escape);
    // The entries with separator between them; "" for an empty list.
    SString join(const SString& separator) const;

private:
    int compareEntries(const SString& a, const SString& b) const;
    void fitCapacity();
    void quickSort(int low, int high, int direction);

    bool ignoreCase;
    SString** items;
    int count;
    int capacity;
    mutable SString spare;  // handed out by getAt on an empty list
};
