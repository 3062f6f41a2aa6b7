// Shared pieces of the download-flow tests: a fixture that runs the tool's
// order (package check, engine set-up, search, connect, version check,
// download) against phone 1, copies of the sample packages, and an
// independent model of what a download leaves on the phone's storage.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "PhoneConfig.h"
#include "SimDiskControl.h"

// The storage a download leaves: `before` (wiped first when the flow wipes
// the layout), every image of the partition list at its sector (its last
// sector padded with zeros), then the
// DISK patches of the patch list applied in order. Read from the package's
// own files with a small reader of the test's own.
std::string ModelStorage(const std::string& before, bool layoutWiped, const std::wstring& rawprogramPath,
                         const std::wstring& patchPath);

class FlowTest : public SimPhoneTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A writable copy of a sample package whose primary GPT image carries the
    // "EFI PART" signature, so a written phone starts normally again.
    std::wstring CopyPackage(const std::wstring& sample);
    // The sample's folder in the fixtures.
    static std::wstring SamplePackage(const std::wstring& sample);
    // A copy of the automatic sample, which carries no programmer of its
    // own; with one taken from the FireHose sample when asked for.
    std::wstring AutoPackage(bool withProgrammer = true);
    static std::wstring FireHoseProgrammerSample();

    // The package check of the tool: LoadPhoneConfig, SelectRawProgram and
    // CheckQcomFiles; then CheckQcomFiles again and Init_QcomDownLoad, as the
    // download job does. fullPackage 0 keeps the user's data.
    void PreparePackage(const std::wstring& folder, int fullPackage = 1);
    // SearchDevices and ConnectPhone, then, when the package asks for it,
    // CheckPhoneVersion; the version read goes to phoneVersion_. 1 when all
    // passed.
    int32_t ConnectPhone();
    // The whole job after the package check: ConnectPhone() and
    // StartDownload.
    int32_t RunDownload();

    // Phone 1 in a mode, with a version matching the package's model key.
    void PlugPhone(SimPhoneMode mode);
    void WriteStorage(const std::string& bytes);
    std::string Storage() const;
    // What the download should have left, from the lists the package check
    // chose.
    std::string ExpectedStorage(const std::string& before, bool layoutWiped) const;
    uint32_t NumDiskSectors() const { return static_cast<uint32_t>(kStorageBytes / 512); }
    // The storage holds exactly these bytes; a failure names the first
    // sector that differs instead of printing megabytes.
    void ExpectStorageIs(const std::string& expected) const;

    std::vector<TextReport> TextReports() const { return recorder_.TextReports(); }
    bool HasText(int32_t code, const std::wstring& text) const { return recorder_.HasText(code, text); }
    // The reports hold these texts in this order (others may come between).
    void ExpectInOrder(const std::vector<TextReport>& expected) const;
    // The percentages up to and including the first 4: the step markers.
    std::vector<int32_t> StepPercents() const;
    // Clears the run flag when the engine sends the text.
    void StopOnText(const std::wstring& text);

    ReportRecorder recorder_;
    int32_t runFlag_ = 1;
    std::unique_ptr<CQcomDownloader> engine_;
    std::unique_ptr<CPhoneConfig> config_;
    std::string phoneVersion_;
    std::wstring packages_;
};
