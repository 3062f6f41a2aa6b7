#include "VersionName.h"

namespace {

// Release decorations, cut in this order.
const wchar_t* const kVersionSuffixes[] = {
    L"_T", L"_CMCC", L"_NAVI", L"_CTA", L"_TASTE", L"_platform",
};

// Cuts at the last occurrence of the suffix that starts after the first
// character; a text that begins with it, or is no longer, stays whole.
void CutAtLastSuffix(std::wstring& text, const std::wstring& suffix) {
    if (text.size() <= suffix.size()) {
        return;
    }
    const size_t found = text.rfind(suffix);
    if (found != std::wstring::npos && found > 0) {
        text.resize(found);
    }
}

}  // namespace

std::wstring StripVersionText(const std::wstring& text) {
    std::wstring stripped = text;
    const size_t ap = stripped.find(L"AP:");
    if (ap != std::wstring::npos) {
        stripped.erase(0, ap + 3);
    }
    const size_t blank = stripped.find(L' ');
    if (blank != std::wstring::npos) {
        stripped.resize(blank);
    }
    for (const wchar_t* suffix : kVersionSuffixes) {
        CutAtLastSuffix(stripped, suffix);
    }
    return stripped;
}
