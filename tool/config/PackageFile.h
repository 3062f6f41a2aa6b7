// The look-up rule for the files of a software package, used by the package
// check and the download engine alike: the package folder first, then its
// "bp_image" sub-folder. A file of 0 bytes counts as missing.
#pragma once

#include <string>

struct PackageFileLookup {
    enum Status {
        FOUND,
        MISSING,
        PATH_TOO_LONG,  // a place to look had a path of 260 characters or more
    };
    Status status = MISSING;
    // The file found, the over-long path, or (missing) the last path tried.
    std::wstring path;
    double sizeMb = 0.0;
};

PackageFileLookup LookUpPackageFile(const std::wstring& folder, const std::wstring& fileName);

// Size in bytes / 1,048,576; 0 when the file cannot be found or is a folder.
double FileSizeMb(const std::wstring& path);
