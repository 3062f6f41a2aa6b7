// The pairs of the image-description language, key='value', read alike by
// the image descriptions and the markup text's inline images.
#pragma once

#include <string>

namespace TavikUI {

// The language's blank: any character from 1 to 32.
inline bool IsDescriptionBlank(wchar_t character) { return character > 0 && character <= L' '; }

// One key='value' pair at `position`, blanks allowed before the key and
// around the '='. True with `position` just after the closing apostrophe;
// false (position untouched) when the text there is no such pair: no key, no
// '=', or a missing apostrophe.
bool ReadKeyValuePair(const std::wstring& text, size_t& position, std::wstring& key, std::wstring& value);

}  // namespace TavikUI
