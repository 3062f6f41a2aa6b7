#include <gtest/gtest.h>

#include "PointerArray.h"

using TavikUI::CPointerArray;

namespace {

void* Item(intptr_t value) { return reinterpret_cast<void*>(value); }

}  // namespace

TEST(PointerArrayGrowth, GrowsBeforeTheLastSlotIsFilled) {
    CPointerArray items;
    EXPECT_EQ(items.Capacity(), 0);
    EXPECT_TRUE(items.IsEmpty());
    ASSERT_TRUE(items.Append(Item(1)));
    EXPECT_EQ(items.Capacity(), 11);
    for (intptr_t i = 2; i <= 10; ++i) {
        ASSERT_TRUE(items.Append(Item(i)));
    }
    EXPECT_EQ(items.Capacity(), 11);
    ASSERT_TRUE(items.Append(Item(11)));  // would fill the last slot
    EXPECT_EQ(items.Capacity(), 22);
    for (intptr_t i = 12; i <= 22; ++i) {
        ASSERT_TRUE(items.Append(Item(i)));
    }
    EXPECT_EQ(items.Capacity(), 44);
    EXPECT_EQ(items.Count(), 22);
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(items.At(i), Item(i + 1));
    }

    CPointerArray presized(6);
    EXPECT_EQ(presized.Capacity(), 6);
    EXPECT_EQ(presized.Count(), 0);
    for (intptr_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(presized.Append(Item(i)));
    }
    EXPECT_EQ(presized.Capacity(), 6);
    ASSERT_TRUE(presized.Append(Item(5)));  // would fill the last slot
    EXPECT_EQ(presized.Capacity(), 12);
}

TEST(PointerArrayEdit, InsertRemoveAndLookup) {
    CPointerArray items;
    EXPECT_FALSE(items.InsertAt(1, Item(1)));
    EXPECT_FALSE(items.InsertAt(-1, Item(1)));
    ASSERT_TRUE(items.InsertAt(0, Item(2)));
    ASSERT_TRUE(items.InsertAt(0, Item(1)));
    ASSERT_TRUE(items.InsertAt(2, Item(4)));  // index == count appends
    ASSERT_TRUE(items.InsertAt(2, Item(3)));
    ASSERT_EQ(items.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items.AtUnchecked(i), Item(i + 1));
    }
    EXPECT_EQ(items.At(-1), nullptr);
    EXPECT_EQ(items.At(4), nullptr);

    EXPECT_EQ(items.IndexOf(Item(3)), 2);
    EXPECT_EQ(items.IndexOf(Item(9)), -1);
    ASSERT_TRUE(items.Append(Item(3)));
    EXPECT_EQ(items.IndexOf(Item(3)), 2);  // first match

    EXPECT_FALSE(items.RemoveAt(5));
    EXPECT_FALSE(items.RemoveAt(-1));
    ASSERT_TRUE(items.RemoveAt(0));
    ASSERT_TRUE(items.RemoveAt(3));  // the last one
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items.At(0), Item(2));
    EXPECT_EQ(items.At(1), Item(3));
    EXPECT_EQ(items.At(2), Item(4));

    // Inserting into a full block grows it and keeps the order.
    CPointerArray many;
    for (intptr_t i = 0; i < 30; ++i) {
        ASSERT_TRUE(many.InsertAt(0, Item(i)));
    }
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(many.At(i), Item(29 - i));
    }
}

TEST(PointerArrayLifetime, CopyClearAndResize) {
    CPointerArray items;
    for (intptr_t i = 1; i <= 15; ++i) {
        items.Append(Item(i));
    }
    CPointerArray copy(items);
    EXPECT_EQ(copy.Count(), 15);
    EXPECT_EQ(copy.At(14), Item(15));
    items.RemoveAt(0);
    EXPECT_EQ(copy.At(0), Item(1));

    CPointerArray assigned;
    assigned.Append(Item(99));
    assigned = copy;
    EXPECT_EQ(assigned.Count(), 15);
    EXPECT_EQ(assigned.At(0), Item(1));

    copy.Clear();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.Capacity(), 0);
    EXPECT_TRUE(copy.Append(Item(5)));
    EXPECT_EQ(copy.Capacity(), 11);

    ASSERT_TRUE(items.ResizeZeroed(7));
    EXPECT_EQ(items.Count(), 7);
    EXPECT_EQ(items.Capacity(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(items.At(i), nullptr);
    }
    EXPECT_TRUE(items.Append(Item(8)));
    EXPECT_EQ(items.Capacity(), 14);
    EXPECT_TRUE(items.ResizeZeroed(0));
    EXPECT_TRUE(items.IsEmpty());
}
