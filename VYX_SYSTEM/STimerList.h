#pragma once

class STimerEvent;

// One timer of the timer service: who is called and what it gets back. Copied by value into and out
// of the table; a new entry has all fields 0.
class STimerListEntry {
public:
    virtual ~STimerListEntry() = default;
    virtual const char* getClassName() const { return "STimerListEntry"; }

    STimerEvent* client = nullptr;  // null in the table's empty entry
    unsigned timerId = 0;
    int secondValue = 0;
    int firstValue = 0;
    int oneShot = 0;  // non-zero: the entry is removed on its first tick
};

// The timer table: timer id -> entry, in insertion order, searched linearly. The array of pairs is
// resized after every insertion or removal to room for count + 101 pairs when it has room for fewer
// than count + 1 or more than count + 150, so adding or removing one timer at a time does not
// reallocate each time.
class STimerList {
public:
    STimerList() = default;
    STimerList(const STimerList&) = delete;
    STimerList& operator=(const STimerList&) = delete;
    virtual ~STimerList();
    virtual const char* getClassName() const { return "STimerList"; }

    // Stores a copy of entry under id: 1 for a new id, 0 when it overwrote the entry already there.
    int set(unsigned id, const STimerListEntry& entry);
    // A copy of the entry stored under id, or of the empty entry (all 0) for an unknown id.
    STimerListEntry find(unsigned id) const;
    // Removes the entry of id and closes the gap: 1, or 0 for an unknown id (nothing changes).
    int remove(unsigned id);
    int getCount() const { return count; }
    // The id (0) and entry (the empty entry) at an index in insertion order, for an index out of
    // range the values in brackets.
    unsigned getIdAt(int index) const;
    STimerListEntry getEntryAt(int index) const;
    void removeAll();
    // Room for this many pairs in the array.
    int getCapacity() const { return capacity; }

private:
    struct Pair {
        unsigned id;
        STimerListEntry entry;
    };
    int indexOf(unsigned id) const;
    void fitCapacity(int newCount);

    STimerListEntry emptyEntry;
    Pair* items = nullptr;
    int count = 0;
    int capacity = 0;
};
