// Path rules of extraction to named files: which folders may be created
// below the base folder, and which targets are refused.
#pragma once

#include <string>

namespace TavikUI {

// True when a segment of the path steps to a parent folder: "..", or any
// segment of dots and spaces alone holding two dots or more.
bool ZipPathHoldsParentStep(const std::wstring& path);

// The text before the last '/' or back slash; empty when there is none.
std::wstring ZipFolderPartOf(const std::wstring& path);

// A folder part that stays below the base folder: not rooted, no drive, no
// parent step.
bool ZipIsFolderBelowBase(const std::wstring& folder);

// Creates base + each prefix of `relative` (separators '/' or back slash),
// shortest first; folders that exist already are no error.
void CreateFolderPath(const std::wstring& base, const std::wstring& relative);

}  // namespace TavikUI
