#include "ConfigTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace configtest {

ScratchFolder::ScratchFolder() : testsupport::ScratchFolder(L"phonecfg_") {
    EXPECT_TRUE(Created()) << "cannot create " << Utf8(Path());
}

std::wstring ScratchFolder::Child(const std::wstring& name, bool makeFolder) const {
    const std::wstring path = File(name);
    if (makeFolder) {
        MakeFolders(path);
    }
    return path;
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    MakeFolders(to);
    const DWORD attributes = GetFileAttributesW(from.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "missing " << Utf8(from);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ASSERT_TRUE(testsupport::CopyFolderTree(from, to)) << "copy " << Utf8(from);
        return;
    }
    const std::wstring target = to + from.substr(from.rfind(L'\\'));
    ASSERT_TRUE(CopyFileW(from.c_str(), target.c_str(), FALSE)) << "copy " << Utf8(from);
}

void MakeFolders(const std::wstring& path) {
    ASSERT_TRUE(testsupport::MakeFolders(path)) << "cannot create " << Utf8(path);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    ASSERT_TRUE(testsupport::WriteBytes(path, bytes)) << "cannot write " << Utf8(path);
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

std::string ReadFile(const std::wstring& path) { return testsupport::ReadBytes(path).value_or(std::string()); }

void WriteInfoFile(const std::wstring& folder, const std::string& version) {
    MakeFolders(folder);
    WriteFile(folder + L"\\Quorel_info.ini", "[product_info]\r\nVER=" + version + "\r\n");
}

std::wstring OkLine(const std::wstring& name, const wchar_t* sizeText) {
    std::wstring line = name;
    if (line.size() < 20) {
        line.insert(0, 20 - line.size(), L' ');
    }
    return line + L" " + sizeText + L"Mb ok";
}

}  // namespace configtest
