#include "SectorExpression.h"

#include <cwchar>
#include <limits>

namespace {

constexpr wchar_t kDiskSectors[] = L"NUM_DISK_SECTORS";
constexpr wchar_t kExpressionCharacters[] = L"NUM_DISK_SECTORS-.";
constexpr wchar_t kCrc32[] = L"CRC32";

bool IsExpressionCharacter(wchar_t c) { return c != L'\0' && std::wcschr(kExpressionCharacters, c) != nullptr; }

}  // namespace

std::wstring TrimSectorExpression(const std::wstring& text) {
    size_t end = text.size();
    while (end > 0 && IsExpressionCharacter(text[end - 1])) {
        --end;
    }
    size_t begin = 0;
    while (begin < end && IsExpressionCharacter(text[begin])) {
        ++begin;
    }
    return text.substr(begin, end - begin);
}

std::optional<uint64_t> ParseDecimal(const std::wstring& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        const uint64_t digit = static_cast<uint64_t>(c - L'0');
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

std::optional<uint64_t> ResolveSectorText(const std::wstring& text, uint32_t numDiskSectors) {
    if (text.find(kDiskSectors) == std::wstring::npos) {
        return ParseDecimal(text);
    }
    const std::optional<uint64_t> back = ParseDecimal(TrimSectorExpression(text));
    if (!back || *back > numDiskSectors) {
        return std::nullopt;
    }
    return numDiskSectors - *back;
}

std::optional<Crc32Span> ParseCrc32Expression(const std::wstring& expression, uint32_t numDiskSectors) {
    const size_t word = expression.find(kCrc32);
    if (word == std::wstring::npos) {
        return std::nullopt;
    }
    const size_t open = word + std::wcslen(kCrc32);
    if (open >= expression.size() || expression[open] != L'(') {
        return std::nullopt;
    }
    const size_t comma = expression.find(L',', open);
    if (comma == std::wstring::npos) {
        return std::nullopt;
    }
    const size_t close = expression.find(L')', comma);
    if (close == std::wstring::npos) {
        return std::nullopt;
    }
    const std::optional<uint64_t> start =
        ResolveSectorText(expression.substr(open + 1, comma - open - 1), numDiskSectors);
    const std::optional<uint64_t> length = ParseDecimal(expression.substr(comma + 1, close - comma - 1));
    if (!start || !length) {
        return std::nullopt;
    }
    return Crc32Span{*start, *length};
}
