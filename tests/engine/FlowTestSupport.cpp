#include "FlowTestSupport.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <regex>

#include "DiskTestSupport.h"
#include "TextFormat.h"

namespace {

constexpr size_t kSectorBytes = 512;
const char kGptSignature[] = "EFI PART";

using Attributes = std::map<std::string, std::string>;

// The attributes of every `tag` element of a list, comments left out.
std::vector<Attributes> ElementsOf(const std::wstring& path, const std::string& tag) {
    const std::string xml = std::regex_replace(ReadWholeFile(path), std::regex("<!--[\\s\\S]*?-->"), "");
    const std::regex element("<" + tag + "\\s([^>]*)>");
    const std::regex attribute("([A-Za-z_]+)\\s*=\\s*\"([^\"]*)\"");
    std::vector<Attributes> found;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        Attributes attributes;
        const std::string inside = (*it)[1];
        for (auto at = std::sregex_iterator(inside.begin(), inside.end(), attribute); at != std::sregex_iterator();
             ++at) {
            attributes[(*at)[1]] = (*at)[2];
        }
        found.push_back(attributes);
    }
    return found;
}

// A decimal number, or the sectors counted back from the end of the disk.
uint64_t SectorOf(const std::string& text, uint64_t diskSectors) {
    const std::string fromEnd = "NUM_DISK_SECTORS-";
    const size_t at = text.find(fromEnd);
    if (at != std::string::npos) {
        return diskSectors - std::stoull(text.substr(at + fromEnd.size()));
    }
    return std::stoull(text);
}

uint64_t PatchValue(const std::string& value, const std::string& storage, uint64_t diskSectors) {
    const size_t crcAt = value.find("CRC32(");
    if (crcAt == std::string::npos) {
        return SectorOf(value, diskSectors);
    }
    const size_t comma = value.find(',', crcAt);
    const size_t close = value.find(')', comma);
    const uint64_t start = SectorOf(value.substr(crcAt + 6, comma - crcAt - 6), diskSectors);
    const uint64_t length = std::stoull(value.substr(comma + 1, close - comma - 1));
    return ReferenceCrc32(storage, static_cast<size_t>(start * kSectorBytes), static_cast<size_t>(length));
}

std::wstring PackageFileOf(const std::wstring& folder, const std::string& name) {
    const std::wstring wide = ToWide(name);
    const std::wstring top = folder + L"\\" + wide;
    return GetFileAttributesW(top.c_str()) != INVALID_FILE_ATTRIBUTES ? top : folder + L"\\bp_image\\" + wide;
}

}  // namespace

std::string ModelStorage(const std::string& before, bool layoutWiped, const std::wstring& rawprogramPath,
                         const std::wstring& patchPath) {
    std::string storage = before;
    const uint64_t diskSectors = storage.size() / kSectorBytes;
    if (layoutWiped) {
        std::fill_n(storage.begin(), 2 * kSectorBytes, '\0');
        std::fill_n(storage.end() - kSectorBytes, kSectorBytes, '\0');
    }
    // Images are looked up beside the package's files: the folder of the
    // list, or the folder above its "bp_image".
    std::wstring folder = rawprogramPath.substr(0, rawprogramPath.rfind(L'\\'));
    if (folder.size() >= 9 && folder.compare(folder.size() - 9, 9, L"\\bp_image") == 0) {
        folder.resize(folder.size() - 9);
    }
    for (const Attributes& program : ElementsOf(rawprogramPath, "program")) {
        const auto name = program.find("filename");
        if (name == program.end() || name->second.empty()) {
            continue;
        }
        // Whole sectors are written: the last one padded with zeros.
        std::string image = ReadWholeFile(PackageFileOf(folder, name->second));
        image.resize((image.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes, '\0');
        const uint64_t sector = SectorOf(program.at("start_sector"), diskSectors);
        storage.replace(static_cast<size_t>(sector * kSectorBytes), image.size(), image);
    }
    for (const Attributes& patch : ElementsOf(patchPath, "patch")) {
        if (patch.at("filename") != "DISK") {
            continue;
        }
        const uint64_t sector = SectorOf(patch.at("start_sector"), diskSectors);
        const uint64_t value = PatchValue(patch.at("value"), storage, diskSectors);
        PutLittleEndian(storage, static_cast<size_t>(sector * kSectorBytes + std::stoull(patch.at("byte_offset"))),
                        static_cast<size_t>(std::stoull(patch.at("size_in_bytes"))), value);
    }
    return storage;
}

void FlowTest::SetUp() {
    SimPhoneTest::SetUp();
    engine_ = MakeEngine();
    engine_->runFlag = &runFlag_;
    engine_->diskControl = std::make_unique<CSimDiskControl>();
    RouteQmslTextsTo(engine_.get());
    config_ = std::make_unique<CPhoneConfig>();
    config_->Init();
    config_->reportCallback = &ReportRecorder::Callback;
    // The shipped phone list is read where the program keeps it.
    const std::wstring dataFolder = ProductDataDir();
    ASSERT_LT(dataFolder.size(), static_cast<size_t>(kConfigPathChars));
    dataFolder.copy(config_->exeFolder, dataFolder.size());
    config_->exeFolder[dataFolder.size()] = L'\0';
    packages_ = folders_->File(L"packages");
    ASSERT_TRUE(CreateDirectoryW(packages_.c_str(), nullptr));
}

void FlowTest::TearDown() {
    recorder_.SetHook(nullptr);
    RouteQmslTextsTo(nullptr);
    engine_.reset();
    config_.reset();
    SimPhoneTest::TearDown();
}

std::wstring FlowTest::SamplePackage(const std::wstring& sample) { return FixturesDir() + L"\\packages\\" + sample; }

std::wstring FlowTest::CopyPackage(const std::wstring& sample) {
    const std::wstring folder = packages_ + L"\\" + sample;
    EXPECT_TRUE(CopyFolderTree(SamplePackage(sample), folder));
    const std::wstring gpt = folder + L"\\gpt_main0.bin";
    std::string bytes = ReadWholeFile(gpt);
    EXPECT_GT(bytes.size(), 2 * kSectorBytes);
    bytes.replace(kSectorBytes, sizeof(kGptSignature) - 1, kGptSignature);
    EXPECT_TRUE(WriteBytes(gpt, bytes));
    return folder;
}

std::wstring FlowTest::FireHoseProgrammerSample() {
    return SamplePackage(L"SampleFH8974") + L"\\prog_emmc_firehose_8974.mbn";
}

std::wstring FlowTest::AutoPackage(bool withProgrammer) {
    const std::wstring package = CopyPackage(L"SampleAuto8974");
    if (withProgrammer) {
        EXPECT_TRUE(
            CopyFileW(FireHoseProgrammerSample().c_str(), (package + L"\\prog_emmc_firehose_8974.mbn").c_str(), FALSE));
    }
    return package;
}

void FlowTest::PreparePackage(const std::wstring& folder, int fullPackage) {
    ASSERT_TRUE(config_->LoadPhoneConfig(folder.c_str()));
    ASSERT_EQ(PLATFORM_QCOM, config_->platform);
    config_->SelectRawProgram(fullPackage);
    ASSERT_TRUE(config_->CheckQcomFiles());
    // The download job checks the files again before the engine takes them.
    ASSERT_TRUE(config_->CheckQcomFiles());
    engine_->Init_QcomDownLoad(config_->qcom);
}

int32_t FlowTest::ConnectPhone() {
    if (engine_->SearchDevices() != 1 || engine_->ConnectPhone() != 1) {
        return 0;
    }
    if (config_->checkPhoneVar != 0) {
        return engine_->CheckPhoneVersion(phoneVersion_);
    }
    return 1;
}

int32_t FlowTest::RunDownload() {
    if (ConnectPhone() != 1) {
        return 0;
    }
    return engine_->StartDownload();
}

void FlowTest::PlugPhone(SimPhoneMode mode) {
    const std::string model = WideToAnsi(config_->versionName);
    ASSERT_FALSE(model.empty()) << "prepare the package first";
    ASSERT_TRUE(Phone().SetVersion("AP:" + model + "_T01 build"));
    ASSERT_TRUE(Phone().SetMode(mode));
}

void FlowTest::WriteStorage(const std::string& bytes) {
    ASSERT_TRUE(Phone().WriteStorage(0, bytes.data(), bytes.size()));
}

std::string FlowTest::Storage() const {
    std::string bytes(static_cast<size_t>(kStorageBytes), '\0');
    EXPECT_TRUE(phone_->ReadStorage(0, &bytes[0], bytes.size()));
    return bytes;
}

std::string FlowTest::ExpectedStorage(const std::string& before, bool layoutWiped) const {
    return ModelStorage(before, layoutWiped, ToWide(g_imageTable.rawprogramPath), ToWide(g_imageTable.patchPath));
}

void FlowTest::ExpectStorageIs(const std::string& expected) const {
    const std::string actual = Storage();
    ASSERT_EQ(expected.size(), actual.size());
    const auto differ = std::mismatch(expected.begin(), expected.end(), actual.begin());
    if (differ.first != expected.end()) {
        const size_t offset = static_cast<size_t>(differ.first - expected.begin());
        ADD_FAILURE() << "storage differs first in sector " << offset / kSectorBytes << " at byte "
                      << offset % kSectorBytes;
    }
}

void FlowTest::ExpectInOrder(const std::vector<TextReport>& expected) const {
    const std::vector<TextReport> texts = TextReports();
    auto from = texts.begin();
    for (const TextReport& wanted : expected) {
        const auto found = std::find(from, texts.end(), wanted);
        if (found == texts.end()) {
            ADD_FAILURE() << "missing, or out of order: 0x" << std::hex << wanted.first << " "
                          << WideToAnsi(wanted.second);
            return;
        }
        from = found + 1;
    }
}

std::vector<int32_t> FlowTest::StepPercents() const {
    std::vector<int32_t> steps;
    for (int32_t percent : recorder_.Percents()) {
        steps.push_back(percent);
        if (percent == 4) {
            break;
        }
    }
    return steps;
}

void FlowTest::StopOnText(const std::wstring& text) {
    int32_t* runFlag = &runFlag_;
    recorder_.SetHook([runFlag, text](const RecordedReport& report) {
        if (report.text == text) {
            __atomic_store_n(runFlag, 0, __ATOMIC_RELEASE);
        }
    });
}
