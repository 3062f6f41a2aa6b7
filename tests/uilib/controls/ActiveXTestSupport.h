// The fixture of the ActiveX host, web browser and Flash tests: OLE is
// initialised for each test on the shared test window, and the test
// control's module is loaded so its counters can be read.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>

#include "ControlsTestSupport.h"
#include "activex/ActiveXTestControl.h"

namespace ActiveXTests {

class OleWindowTest : public ControlsTests::SkinWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ControlsTests::SkinWindowTest::SetUp();
        module_ = LoadLibraryW(kModuleName);
        ASSERT_NE(module_, nullptr) << "the test control's module is missing";
        auto stateOf = reinterpret_cast<StateFunction>(reinterpret_cast<void*>(GetProcAddress(module_, kStateExport)));
        ASSERT_NE(stateOf, nullptr);
        state_ = stateOf();
        *state_ = TestControlState{};
    }
    void TearDown() override {
        ControlsTests::SkinWindowTest::TearDown();
        if (module_) {
            FreeLibrary(module_);
        }
        OleUninitialize();
    }

    // Destroys the manager with its control tree, as closing a window does.
    void DestroyTree() {
        host_->manager = nullptr;
        manager_.reset();
    }

    HMODULE module_ = nullptr;
    TestControlState* state_ = nullptr;
};

// The test control's class as the "clsid" attribute's text.
inline std::wstring ClsidText(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return text;
}

}  // namespace ActiveXTests
