#include <gtest/gtest.h>

#include <vector>

#include "Delegate.h"

using TavikUI::CDelegateBase;
using TavikUI::CDelegateList;

namespace {

// Records its calls in the log it is bound to and answers a fixed result.
struct CallLog {
    std::vector<int> calls;
    int liveDelegates = 0;
};

bool Accept(void*) { return true; }
bool Refuse(void*) { return false; }

class TestDelegate : public CDelegateBase {
public:
    TestDelegate(CallLog* log, bool (*function)(void*), int id)
        : CDelegateBase(log, reinterpret_cast<void*>(function)), function_(function), id_(id) {
        ++log->liveDelegates;
    }
    TestDelegate(const TestDelegate& other) : CDelegateBase(other), function_(other.function_), id_(other.id_) {
        ++Log()->liveDelegates;
    }
    ~TestDelegate() override { --Log()->liveDelegates; }

    CDelegateBase* Copy() const override { return new TestDelegate(*this); }
    bool Invoke(void* parameter) override {
        Log()->calls.push_back(id_);
        return function_(parameter);
    }

private:
    CallLog* Log() const { return static_cast<CallLog*>(Object()); }

    bool (*function_)(void*);
    int id_;
};

}  // namespace

TEST(Delegate, EqualsComparesObjectAndFunction) {
    CallLog first;
    CallLog second;
    const TestDelegate a(&first, Accept, 1);
    EXPECT_TRUE(a.Equals(TestDelegate(&first, Accept, 2)));
    EXPECT_FALSE(a.Equals(TestDelegate(&first, Refuse, 1)));
    EXPECT_FALSE(a.Equals(TestDelegate(&second, Accept, 1)));
    CDelegateBase* copy = a.Copy();
    EXPECT_TRUE(copy->Equals(a));
    delete copy;
    EXPECT_EQ(first.liveDelegates, 1);
}

TEST(DelegateList, AddsCopiesOnceAndFiresInOrder) {
    CallLog log;
    CallLog other;
    {
        CDelegateList list;
        EXPECT_FALSE(list.HasDelegates());
        EXPECT_TRUE(list.Fire(nullptr));  // empty list
        {
            const TestDelegate first(&log, Accept, 1);
            list.Add(first);
            list.Add(first);                          // equal: kept once
            list.Add(TestDelegate(&log, Accept, 2));  // same object and function
        }
        EXPECT_TRUE(list.HasDelegates());
        EXPECT_EQ(log.liveDelegates, 1);  // the list's copy outlives the original
        list.Add(TestDelegate(&other, Accept, 3));
        EXPECT_EQ(other.liveDelegates, 1);
        EXPECT_TRUE(list.Fire(nullptr));
        EXPECT_EQ(log.calls, std::vector<int>({1}));
        EXPECT_EQ(other.calls, std::vector<int>({3}));
    }
    // Destroying the list deleted its copies.
    EXPECT_EQ(log.liveDelegates, 0);
    EXPECT_EQ(other.liveDelegates, 0);
}

TEST(DelegateList, FireStopsAtTheFirstFalse) {
    CallLog one;
    CallLog two;
    CallLog three;
    CDelegateList list;
    list.Add(TestDelegate(&one, Accept, 1));
    list.Add(TestDelegate(&two, Refuse, 2));
    list.Add(TestDelegate(&three, Accept, 3));
    EXPECT_FALSE(list.Fire(nullptr));
    EXPECT_EQ(one.calls.size(), 1u);
    EXPECT_EQ(two.calls.size(), 1u);
    EXPECT_TRUE(three.calls.empty());
}
