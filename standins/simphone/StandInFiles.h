// Whole-file reads for the stand-ins and the simulated phone.
#pragma once

#include <optional>
#include <string>

namespace standins {

// The file's bytes, or nothing when it cannot be opened or read to its end.
std::optional<std::string> ReadWholeFile(const std::wstring& path);
// The same for a path in the ANSI code page, as the outside libraries get them.
std::optional<std::string> ReadWholeFileAnsi(const std::string& path);

}  // namespace standins
