// A growable array of untyped pointers on the C runtime heap. It does not own
// what its items point to.
#pragma once

namespace TavikUI {

class CPointerArray {
public:
    // With n > 0 a block of n slots is allocated at once.
    explicit CPointerArray(int initialCapacity = 0);
    CPointerArray(const CPointerArray& other);
    CPointerArray& operator=(const CPointerArray& other);
    ~CPointerArray();

    // Frees the block: count and capacity 0.
    void Clear();
    // Replaces the contents by n null slots (count = capacity = n); false, and
    // an empty array, when the block cannot be allocated.
    bool ResizeZeroed(int n);

    bool IsEmpty() const { return count_ == 0; }
    int Count() const { return count_; }
    int Capacity() const { return capacity_; }

    // False, with the array unchanged, when the block cannot grow.
    bool Append(void* item);
    // 0 <= index <= Count(); the tail moves up one slot.
    bool InsertAt(int index, void* item);
    // 0 <= index < Count(); the tail moves down one slot.
    bool RemoveAt(int index);
    // First slot holding the pointer, or -1.
    int IndexOf(const void* item) const;
    // Null for an index out of range.
    void* At(int index) const;
    void* AtUnchecked(int index) const { return items_[index]; }

private:
    // Makes room for one more item, growing the block when the new count
    // would reach the capacity.
    bool ReserveOneMore();

    void** items_;
    int count_;
    int capacity_;
};

}  // namespace TavikUI
