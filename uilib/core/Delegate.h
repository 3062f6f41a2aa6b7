// Callbacks bound to an object, and lists of them. A concrete delegate knows
// how to call its function on its object (Invoke) and how to copy itself; a
// list owns copies of the delegates added to it.
#pragma once

#include "PointerArray.h"

namespace TavikUI {

class CDelegateBase {
public:
    CDelegateBase(void* object, void* function);
    CDelegateBase(const CDelegateBase& other);
    CDelegateBase& operator=(const CDelegateBase&) = delete;
    virtual ~CDelegateBase();

    // Same object and same function.
    bool Equals(const CDelegateBase& other) const;
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* parameter) = 0;

protected:
    void* Object() const { return object_; }
    void* Function() const { return function_; }

private:
    void* object_;
    void* function_;
};

class CDelegateList {
public:
    CDelegateList() = default;
    CDelegateList(const CDelegateList&) = delete;
    CDelegateList& operator=(const CDelegateList&) = delete;
    ~CDelegateList();

    // Keeps a copy of the delegate unless an equal one is already listed.
    void Add(const CDelegateBase& delegate);
    // Invokes the delegates in order; false at the first that answers false.
    bool Fire(void* parameter);
    bool HasDelegates() const { return delegates_.Count() > 0; }

private:
    CPointerArray delegates_;
};

}  // namespace TavikUI
