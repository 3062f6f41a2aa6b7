// Shell links, created through the shell's link object.
#pragma once

#include <string>

// Saves a link at `linkPath` that starts `target`. False when the link object
// cannot be created or saved.
bool CreateShortcut(const std::wstring& target, const std::wstring& linkPath);
