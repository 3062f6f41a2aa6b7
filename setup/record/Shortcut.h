// The shell links the installer creates and the uninstaller reads back before
// it removes one.
#pragma once

#include <optional>
#include <string>

namespace InstallRecord {

// Saves a link to `target` under `linkPath`; false when it cannot.
bool CreateShortcut(const std::wstring& target, const std::wstring& linkPath);

// The path a saved link points at; none when the file is no link that loads.
std::optional<std::wstring> ReadShortcutTarget(const std::wstring& linkPath);

}  // namespace InstallRecord
