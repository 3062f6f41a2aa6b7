#include "ZipTargetPath.h"

#include <windows.h>

namespace TavikUI {

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Windows drops trailing dots and spaces from a name, so a segment made of
// dots and spaces alone with two dots or more may act as "..".
bool IsParentStep(const std::wstring& segment) {
    if (segment.find_first_not_of(L". ") != std::wstring::npos) {
        return false;
    }
    size_t dots = 0;
    for (wchar_t c : segment) {
        dots += c == L'.' ? 1 : 0;
    }
    return dots >= 2;
}

}  // namespace

bool ZipPathHoldsParentStep(const std::wstring& path) {
    std::wstring segment;
    for (wchar_t c : path) {
        if (!IsSeparator(c)) {
            segment.push_back(c);
            continue;
        }
        if (IsParentStep(segment)) {
            return true;
        }
        segment.clear();
    }
    return IsParentStep(segment);
}

std::wstring ZipFolderPartOf(const std::wstring& path) {
    const size_t last = path.find_last_of(L"/\\");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

bool ZipIsFolderBelowBase(const std::wstring& folder) {
    if (folder.empty() || IsSeparator(folder[0])) {
        return false;
    }
    if (folder.size() > 1 && folder[1] == L':') {
        return false;
    }
    return !ZipPathHoldsParentStep(folder);
}

void CreateFolderPath(const std::wstring& base, const std::wstring& relative) {
    for (size_t i = 0; i <= relative.size(); ++i) {
        if (i < relative.size() && !IsSeparator(relative[i])) {
            continue;
        }
        if (i == 0 || IsSeparator(relative[i - 1])) {
            continue;  // empty segment
        }
        const std::wstring folder = base + relative.substr(0, i);
        CreateDirectoryW(folder.c_str(), nullptr);
    }
}

}  // namespace TavikUI
