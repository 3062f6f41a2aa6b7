#include "VersionName.h"

std::wstring StripVersionText(const std::wstring& text) {
    return StripVersionSuffixes<wchar_t>(text, {L"_T", L"_CMCC", L"_NAVI", L"_CTA", L"_TASTE", L"_platform"});
}
