// A delegate that calls a member function of one object with a
// notification: how a tree view hears its nodes' parts. A virtual member
// function is called through the object's virtual table, so a derived
// object's replacement is the one that runs.
#pragma once

#include <cstring>

#include "Delegate.h"
#include "NotifyPump.h"

namespace TavikUI {

template <class Target>
class CDelegate : public CDelegateBase {
public:
    using Handler = bool (Target::*)(NotifyMessage&);

    CDelegate(Target* object, Handler handler) : CDelegateBase(object, FunctionKey(handler)), handler_(handler) {}

    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* parameter) override {
        return (static_cast<Target*>(Object())->*handler_)(*static_cast<NotifyMessage*>(parameter));
    }

private:
    // Two delegates are equal when they name the same function: the first
    // word of the member pointer (its code address, or its table slot for a
    // virtual function) tells functions of one class apart.
    static void* FunctionKey(Handler handler) {
        void* key = nullptr;
        std::memcpy(&key, &handler, sizeof(key));
        return key;
    }

    Handler handler_;
};

}  // namespace TavikUI
