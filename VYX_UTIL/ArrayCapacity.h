#pragma once

#include <cstdlib>
#include <cstring>

// The capacity rule of the array containers (lists and maps): the array is resized to count + 101
// entries when fewer than count + 1 fit or more than count + 150 do, so adding or removing one
// entry at a time rarely reallocates. Entries a resize adds are zero bytes; T is a plain type
// (a number, a pointer or a pair of them).
template <typename T>
void fitArrayCapacity(T*& items, int& capacity, int count) {
    const int growthRoom = 101;
    const int shrinkLimit = 150;
    if (capacity >= count + 1 && capacity <= count + shrinkLimit) return;
    const int newCapacity = count + growthRoom;
    T* p = static_cast<T*>(std::realloc(static_cast<void*>(items), size_t(newCapacity) * sizeof(T)));
    if (p == nullptr) std::abort();
    if (newCapacity > capacity)
        std::memset(static_cast<void*>(p + capacity), 0, size_t(newCapacity - capacity) * sizeof(T));
    items = p;
    capacity = newCapacity;
}
