// Common set-up of the CPhoneConfig tests: a configuration in its first state
// that reports to a recorder and reads the sample phone list from a scratch
// "program folder".
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ConfigTestSupport.h"
#include "PhoneConfig.h"

class PhoneConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.Init();
        config.reportCallback = &configtest::ReportRecorder::Callback;
        exeFolder = scratch.Child(L"program", true);
        configtest::CopyTree(configtest::ProductDataDir() + L"\\PhoneList.Xml", exeFolder);
        configtest::CopyTree(configtest::ProductDataDir() + L"\\SAMPLE_MTK_DA.bin", exeFolder);
        UseExeFolder(exeFolder);
    }

    void UseExeFolder(const std::wstring& folder) {
        ASSERT_LT(folder.size(), 260u);
        std::wstring(folder).copy(config.exeFolder, folder.size());
        config.exeFolder[folder.size()] = L'\0';
    }

    // A writable copy of a committed sample package.
    std::wstring Package(const std::wstring& name) {
        const std::wstring folder = scratch.Child(L"packages\\" + name, true);
        configtest::CopyTree(configtest::FixturesDir() + L"\\packages\\" + name, folder);
        return folder;
    }

    std::vector<configtest::CapturedReport> Reports() const { return recorder.Reports(); }
    std::vector<std::wstring> Texts() const { return recorder.Texts(); }

    configtest::ScratchFolder scratch;
    configtest::ReportRecorder recorder;
    CPhoneConfig config;
    std::wstring exeFolder;
};
