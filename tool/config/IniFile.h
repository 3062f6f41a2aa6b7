// Reader of the package's information file "Quorel_info.ini" through the
// Windows profile API.
#pragma once

#include <string>

class CINIFile {
public:
    virtual ~CINIFile();

    // Keeps the path; false when it does not exist or is a folder.
    bool SetFile(const std::wstring& path);
    // The profile string of the kept file; empty by default, at most 259
    // characters.
    std::wstring GetString(const wchar_t* section, const wchar_t* key) const;

private:
    std::wstring path_;
};
