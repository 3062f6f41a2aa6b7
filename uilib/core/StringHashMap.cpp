#include "StringHashMap.h"

#include <cstdint>
#include <cwchar>

namespace TavikUI {
namespace {

constexpr int kMinimumBuckets = 16;

uint32_t HashKey(const wchar_t* key) {
    uint32_t hash = 0;
    for (size_t i = wcslen(key); i > 0; --i) {
        hash = hash * 33 + static_cast<uint16_t>(key[i - 1]);
    }
    return hash;
}

}  // namespace

CStringHashMap::CStringHashMap(int bucketCount) : buckets_(nullptr), bucketCount_(0), itemCount_(0) {
    Resize(bucketCount < kMinimumBuckets ? kMinimumBuckets : bucketCount);
}

CStringHashMap::~CStringHashMap() {
    FreeAllNodes();
    delete[] buckets_;
}

void CStringHashMap::FreeAllNodes() {
    for (int bucket = bucketCount_ - 1; bucket >= 0; --bucket) {
        Node* node = buckets_[bucket];
        while (node) {
            Node* next = node->next;
            delete node;
            node = next;
        }
        buckets_[bucket] = nullptr;
    }
    itemCount_ = 0;
}

void CStringHashMap::Resize(int bucketCount) {
    FreeAllNodes();
    delete[] buckets_;
    buckets_ = nullptr;
    bucketCount_ = 0;
    if (bucketCount > 0) {
        buckets_ = new Node*[bucketCount]();
        bucketCount_ = bucketCount;
    }
}

void CStringHashMap::RemoveAll() { Resize(bucketCount_); }

int CStringHashMap::BucketOf(const wchar_t* key) const {
    return static_cast<int>(HashKey(key) % static_cast<uint32_t>(bucketCount_));
}

CStringHashMap::Node* CStringHashMap::FindNode(const wchar_t* key) const {
    if (!key || bucketCount_ == 0 || itemCount_ == 0) {
        return nullptr;
    }
    for (Node* node = buckets_[BucketOf(key)]; node; node = node->next) {
        if (node->key.Equals(key)) {
            return node;
        }
    }
    return nullptr;
}

void CStringHashMap::Unlink(Node* node, int bucket) {
    if (node->previous) {
        node->previous->next = node->next;
    } else {
        buckets_[bucket] = node->next;
    }
    if (node->next) {
        node->next->previous = node->previous;
    }
    node->previous = node->next = nullptr;
}

CStringHashMap::Node* CStringHashMap::Lookup(const wchar_t* key, bool moveToFront) {
    Node* node = FindNode(key);
    if (node && moveToFront && node->previous) {
        const int bucket = BucketOf(key);
        Unlink(node, bucket);
        node->next = buckets_[bucket];
        buckets_[bucket]->previous = node;
        buckets_[bucket] = node;
    }
    return node;
}

void* CStringHashMap::Find(const wchar_t* key, bool moveToFront) {
    Node* node = Lookup(key, moveToFront);
    return node ? node->value : nullptr;
}

bool CStringHashMap::Insert(const wchar_t* key, void* value) {
    if (!key || bucketCount_ == 0 || Lookup(key, true)) {
        return false;
    }
    const int bucket = BucketOf(key);
    Node* node = new Node{CWideString(key), value, nullptr, buckets_[bucket]};
    if (node->next) {
        node->next->previous = node;
    }
    buckets_[bucket] = node;
    ++itemCount_;
    return true;
}

void* CStringHashMap::Set(const wchar_t* key, void* value) {
    if (bucketCount_ == 0) {
        return value;
    }
    if (Node* node = Lookup(key, true)) {
        void* previous = node->value;
        node->value = value;
        return previous;
    }
    Insert(key, value);
    return nullptr;
}

bool CStringHashMap::Remove(const wchar_t* key) {
    Node* node = FindNode(key);
    if (!node) {
        return false;
    }
    Unlink(node, BucketOf(key));
    delete node;
    --itemCount_;
    return true;
}

const wchar_t* CStringHashMap::KeyAt(int index) const {
    if (index < 0) {
        return nullptr;
    }
    int position = 0;
    for (int bucket = bucketCount_ - 1; bucket >= 0; --bucket) {
        for (const Node* node = buckets_[bucket]; node; node = node->next) {
            if (position++ == index) {
                return node->key.Text();
            }
        }
    }
    return nullptr;
}

}  // namespace TavikUI
