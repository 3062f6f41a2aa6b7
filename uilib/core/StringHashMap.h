// A map from wide strings to untyped pointers: chained buckets, keys compared
// exactly. The map owns its nodes and keys, never the values.
#pragma once

#include "WideString.h"

namespace TavikUI {

class CStringHashMap {
public:
    // At least 16 buckets.
    explicit CStringHashMap(int bucketCount);
    CStringHashMap(const CStringHashMap&) = delete;
    CStringHashMap& operator=(const CStringHashMap&) = delete;
    ~CStringHashMap();

    // Drops every entry and starts over with n empty buckets (none for n <= 0).
    void Resize(int bucketCount);
    void RemoveAll();
    int Count() const { return itemCount_; }

    // The value stored under the key, or null. With moveToFront the found
    // node goes to the head of its chain, so frequent keys are found first.
    void* Find(const wchar_t* key, bool moveToFront = true);
    // False when the map has no buckets or already holds the key.
    bool Insert(const wchar_t* key, void* value);
    // Replaces the value of an existing key (answering the old one) or
    // inserts it (answering null). Without buckets it answers the value given.
    void* Set(const wchar_t* key, void* value);
    bool Remove(const wchar_t* key);
    // The index-th key counting buckets from the last to the first and each
    // chain from its head; null out of range.
    const wchar_t* KeyAt(int index) const;

private:
    struct Node {
        CWideString key;
        void* value;
        Node* previous;
        Node* next;
    };

    int BucketOf(const wchar_t* key) const;
    Node* FindNode(const wchar_t* key) const;
    Node* Lookup(const wchar_t* key, bool moveToFront);
    void Unlink(Node* node, int bucket);
    void FreeAllNodes();

    Node** buckets_;
    int bucketCount_;
    int itemCount_;
};

}  // namespace TavikUI
