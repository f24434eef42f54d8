#pragma once

// An ordered list of untyped pointers, array-backed, with linear search. The pointers are not
// owned by the list.
class SPointerList {
public:
    SPointerList();
    SPointerList(const SPointerList& other);
    SPointerList& operator=(const SPointerList& other);
    virtual ~SPointerList();
    virtual const char* getClassName() const { return "SPointerList"; }

    int getCount() const { return count; }
    // Out of range: error box, then the nearest valid entry (nullptr when empty).
    void* getAt(int index) const;
    void* operator[](int index) const { return getAt(index); }
    bool setAt(int index, void* entry);
    int insertAt(int index, void* entry);
    int add(void* entry, bool unique = false);
    int find(const void* entry, int start = 0) const;
    bool removeAt(int index);
    int removeAll(const void* entry);
    void clear();
    // Orders by address.
    void sort(int direction = 1);
    int getCapacity() const { return capacity; }

private:
    void fitCapacity();

    void** items;
    int count;
    int capacity;
};
