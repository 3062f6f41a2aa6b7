#include "DownloadMessage.h"

#include <cstddef>

namespace {

struct TextReplacement {
    const wchar_t* text;
    const wchar_t* replacement;
};

// No sender registers a replacement: every text passes through unchanged.
// The table is the place where a localised or corrected text would go.
constexpr TextReplacement kReplacements[] = {
    {nullptr, nullptr},
};

}  // namespace

std::wstring LookupMessageText(const std::wstring& text) {
    for (const TextReplacement& entry : kReplacements) {
        if (entry.text != nullptr && text == entry.text) {
            return entry.replacement;
        }
    }
    return text;
}
