#include "IniFile.h"

#include <windows.h>

CINIFile::~CINIFile() = default;

bool CINIFile::SetFile(const std::wstring& path) {
    path_ = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring CINIFile::GetString(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[MAX_PATH] = L"";
    const DWORD length = GetPrivateProfileStringW(section, key, L"", value, MAX_PATH, path_.c_str());
    return std::wstring(value, length < MAX_PATH ? length : MAX_PATH - 1);
}
