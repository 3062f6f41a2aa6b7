// The model key of a version text: the text with the release decorations
// removed. The package's version (wide) and the phone's (narrow) are
// stripped alike; only the order of their suffixes differs.
#pragma once

#include <initializer_list>
#include <string>

// Keeps what follows the first "AP:", cuts at the first blank, then cuts at
// the last occurrence of each suffix, in the order given, that starts after
// the first character (a text that begins with a suffix, or is no longer,
// is not cut by it).
template <typename Char>
std::basic_string<Char> StripVersionSuffixes(std::basic_string<Char> text,
                                             std::initializer_list<const Char*> suffixes) {
    const Char ap[] = {Char('A'), Char('P'), Char(':'), Char(0)};
    const size_t apAt = text.find(ap);
    if (apAt != std::basic_string<Char>::npos) {
        text.erase(0, apAt + 3);
    }
    const size_t blank = text.find(Char(' '));
    if (blank != std::basic_string<Char>::npos) {
        text.resize(blank);
    }
    for (const Char* suffix : suffixes) {
        const size_t found = text.rfind(suffix);
        if (found != std::basic_string<Char>::npos && found > 0) {
            text.resize(found);
        }
    }
    return text;
}

// The package's model key: the suffixes "_T", "_CMCC", "_NAVI", "_CTA",
// "_TASTE" and "_platform", in that order.
std::wstring StripVersionText(const std::wstring& text);
