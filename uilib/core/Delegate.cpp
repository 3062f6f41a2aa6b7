#include "Delegate.h"

namespace TavikUI {

CDelegateBase::CDelegateBase(void* object, void* function) : object_(object), function_(function) {}

CDelegateBase::CDelegateBase(const CDelegateBase& other) : object_(other.object_), function_(other.function_) {}

CDelegateBase::~CDelegateBase() = default;

bool CDelegateBase::Equals(const CDelegateBase& other) const {
    return object_ == other.object_ && function_ == other.function_;
}

CDelegateList::~CDelegateList() {
    for (int i = 0; i < delegates_.Count(); ++i) {
        delete static_cast<CDelegateBase*>(delegates_.AtUnchecked(i));
    }
}

void CDelegateList::Add(const CDelegateBase& delegate) {
    for (int i = 0; i < delegates_.Count(); ++i) {
        auto* listed = static_cast<CDelegateBase*>(delegates_.AtUnchecked(i));
        if (listed && listed->Equals(delegate)) {
            return;
        }
    }
    CDelegateBase* copy = delegate.Copy();
    if (copy && !delegates_.Append(copy)) {
        delete copy;
    }
}

bool CDelegateList::Fire(void* parameter) {
    for (int i = 0; i < delegates_.Count(); ++i) {
        auto* listed = static_cast<CDelegateBase*>(delegates_.AtUnchecked(i));
        if (listed && !listed->Invoke(parameter)) {
            return false;
        }
    }
    return true;
}

}  // namespace TavikUI
