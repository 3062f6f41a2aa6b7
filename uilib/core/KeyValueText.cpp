#include "KeyValueText.h"

namespace TavikUI {
namespace {

size_t SkipBlanks(const std::wstring& text, size_t position) {
    while (position < text.size() && IsDescriptionBlank(text[position])) {
        ++position;
    }
    return position;
}

}  // namespace

bool ReadKeyValuePair(const std::wstring& text, size_t& position, std::wstring& key, std::wstring& value) {
    size_t at = SkipBlanks(text, position);
    const size_t keyStart = at;
    while (at < text.size() && text[at] != L'=' && !IsDescriptionBlank(text[at])) {
        ++at;
    }
    key = text.substr(keyStart, at - keyStart);
    at = SkipBlanks(text, at);
    if (key.empty() || at >= text.size() || text[at] != L'=') {
        return false;
    }
    at = SkipBlanks(text, at + 1);
    if (at >= text.size() || text[at] != L'\'') {
        return false;
    }
    const size_t close = text.find(L'\'', at + 1);
    if (close == std::wstring::npos) {
        return false;
    }
    value = text.substr(at + 1, close - at - 1);
    position = close + 1;
    return true;
}

}  // namespace TavikUI
