// Checks of the arguments a connection point passes to an event sink's
// IDispatch::Invoke, before the sink reads them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>

namespace TavikUI {

// The argument at a position of the call (0 = the first), which DISPPARAMS
// holds in reverse order. The position must be below the count.
inline VARIANT& EventArgument(const DISPPARAMS* params, UINT position) {
    return params->rgvarg[params->cArgs - 1 - position];
}

// DISP_E_BADPARAMCOUNT unless there are exactly as many arguments as types;
// DISP_E_TYPEMISMATCH unless each has its type (given in call order).
inline HRESULT CheckEventArguments(const DISPPARAMS* params, std::initializer_list<VARTYPE> types) {
    if (!params || params->cArgs != types.size() || (params->cArgs != 0 && !params->rgvarg)) {
        return DISP_E_BADPARAMCOUNT;
    }
    UINT position = 0;
    for (VARTYPE type : types) {
        if (EventArgument(params, position++).vt != type) {
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

// A 32-bit integer argument, passed by value or by reference; false for any
// other type.
inline bool ReadLongArgument(const VARIANT& argument, LONG& value) {
    if (argument.vt == VT_I4) {
        value = argument.lVal;
        return true;
    }
    if (argument.vt == (VT_BYREF | VT_I4) && argument.plVal) {
        value = *argument.plVal;
        return true;
    }
    return false;
}

}  // namespace TavikUI
