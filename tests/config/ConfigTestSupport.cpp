#include "ConfigTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace configtest {

namespace {

ReportRecorder* g_activeRecorder = nullptr;

std::wstring WithBackSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

std::wstring FixturesDir() {
    const std::string dir = TAVIK_TEST_DATA_DIR "/fixtures";
    return WithBackSlashes(std::wstring(dir.begin(), dir.end()));
}

std::wstring ProgramFolder() {
    wchar_t name[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, name, MAX_PATH);
    std::wstring folder = name;
    return folder.substr(0, folder.rfind(L'\\'));
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    m_path = base + L"\\phonecfg_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(serial++);
    std::error_code error;
    fs::remove_all(m_path, error);
    fs::create_directories(m_path, error);
    EXPECT_FALSE(error) << "cannot create " << Utf8(m_path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    fs::remove_all(m_path, error);
}

std::wstring ScratchFolder::Child(const std::wstring& name, bool makeFolder) const {
    const std::wstring path = m_path + L"\\" + name;
    if (makeFolder) {
        MakeFolders(path);
    }
    return path;
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    MakeFolders(to);
    const DWORD attributes = GetFileAttributesW(from.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "missing " << Utf8(from);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const std::wstring target = to + from.substr(from.rfind(L'\\'));
        ASSERT_TRUE(CopyFileW(from.c_str(), target.c_str(), FALSE)) << "copy " << Utf8(from);
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "cannot list " << Utf8(from);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            CopyTree(from + L"\\" + name, to + L"\\" + name);
        } else {
            CopyTree(from + L"\\" + name, to);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void MakeFolders(const std::wstring& path) {
    std::error_code error;
    fs::create_directories(path, error);
    ASSERT_FALSE(error) << "cannot create " << Utf8(path);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << Utf8(path);
}

void WriteFiller(const std::wstring& path, size_t size) {
    const std::string unit = "SAMPLE FILLER written by the configuration tests\n";
    std::string bytes;
    while (bytes.size() < size) {
        bytes += unit;
    }
    bytes.resize(size);
    WriteFile(path, bytes);
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes,
                        nullptr, nullptr);
    return narrow;
}

void WriteInfoFile(const std::wstring& folder, const std::string& version) {
    MakeFolders(folder);
    WriteFile(folder + L"\\Quorel_info.ini", "[product_info]\r\nVER=" + version + "\r\n");
}

ReportRecorder::ReportRecorder() { g_activeRecorder = this; }

ReportRecorder::~ReportRecorder() { g_activeRecorder = nullptr; }

void ReportRecorder::Callback(const DownloadMessage* message) {
    if (g_activeRecorder == nullptr || message == nullptr) {
        return;
    }
    const wchar_t* text = static_cast<const wchar_t*>(message->text);
    g_activeRecorder->m_reports.push_back(
        {message->code, text != nullptr ? std::wstring(text) : std::wstring(), message->length});
}

std::vector<std::wstring> ReportRecorder::Texts() const {
    std::vector<std::wstring> texts;
    for (const CapturedReport& report : m_reports) {
        texts.push_back(report.text);
    }
    return texts;
}

std::wstring OkLine(const std::wstring& name, const wchar_t* sizeText) {
    std::wstring line = name;
    if (line.size() < 20) {
        line.insert(0, 20 - line.size(), L' ');
    }
    return line + L" " + sizeText + L"Mb ok";
}

}  // namespace configtest
