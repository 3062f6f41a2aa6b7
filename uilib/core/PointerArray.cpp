#include "PointerArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace TavikUI {

CPointerArray::CPointerArray(int initialCapacity) : items_(nullptr), count_(0), capacity_(0) {
    if (initialCapacity > 0) {
        items_ = static_cast<void**>(malloc(sizeof(void*) * static_cast<size_t>(initialCapacity)));
        if (items_) {
            capacity_ = initialCapacity;
        }
    }
}

CPointerArray::CPointerArray(const CPointerArray& other) : items_(nullptr), count_(0), capacity_(0) {
    for (int i = 0; i < other.count_; ++i) {
        Append(other.items_[i]);
    }
}

CPointerArray& CPointerArray::operator=(const CPointerArray& other) {
    if (&other != this) {
        Clear();
        for (int i = 0; i < other.count_; ++i) {
            Append(other.items_[i]);
        }
    }
    return *this;
}

CPointerArray::~CPointerArray() { free(items_); }

void CPointerArray::Clear() {
    free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

bool CPointerArray::ResizeZeroed(int n) {
    Clear();
    if (n <= 0) {
        return true;
    }
    items_ = static_cast<void**>(calloc(static_cast<size_t>(n), sizeof(void*)));
    if (!items_) {
        return false;
    }
    count_ = capacity_ = n;
    return true;
}

bool CPointerArray::ReserveOneMore() {
    if (count_ + 1 < capacity_) {
        return true;
    }
    // Grows before the last slot is filled: 11, 22, 44, ... from nothing.
    if (capacity_ > INT_MAX / 2) {
        return false;
    }
    const int capacity = capacity_ == 0 ? 11 : capacity_ * 2;
    void* block = realloc(items_, sizeof(void*) * static_cast<size_t>(capacity));
    if (!block) {
        return false;
    }
    items_ = static_cast<void**>(block);
    capacity_ = capacity;
    return true;
}

bool CPointerArray::Append(void* item) {
    if (!ReserveOneMore()) {
        return false;
    }
    items_[count_++] = item;
    return true;
}

bool CPointerArray::InsertAt(int index, void* item) {
    if (index < 0 || index > count_) {
        return false;
    }
    if (!ReserveOneMore()) {
        return false;
    }
    memmove(items_ + index + 1, items_ + index, sizeof(void*) * static_cast<size_t>(count_ - index));
    items_[index] = item;
    ++count_;
    return true;
}

bool CPointerArray::RemoveAt(int index) {
    if (index < 0 || index >= count_) {
        return false;
    }
    --count_;
    memmove(items_ + index, items_ + index + 1, sizeof(void*) * static_cast<size_t>(count_ - index));
    return true;
}

int CPointerArray::IndexOf(const void* item) const {
    for (int i = 0; i < count_; ++i) {
        if (items_[i] == item) {
            return i;
        }
    }
    return -1;
}

void* CPointerArray::At(int index) const { return index >= 0 && index < count_ ? items_[index] : nullptr; }

}  // namespace TavikUI
