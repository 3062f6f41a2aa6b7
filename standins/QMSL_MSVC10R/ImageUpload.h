// Uploads of the simulated programmer: images go into the phone's storage at
// their sectors, and every upload reports "File: ", "Program Size:",
// "Total Time" and "Throughput: " texts through the text callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "QmslLibrary.h"
#include "RawProgramList.h"
#include "SimPhone.h"

struct ImagePlacement {
    std::string path;  // ANSI
    uint64_t sector = 0;
};

class ImageUpload {
public:
    ImageUpload(SimPhone& phone, QmslHandle handle, QmslTextCallback callback);

    // Writes the images in order; false with the reason in Error() at the
    // first that fails (a fault, a missing file, no room on the storage).
    bool Run(const std::vector<ImagePlacement>& images);
    const std::string& Error() const { return error_; }

private:
    bool WriteImage(const ImagePlacement& image);
    void Say(const std::string& text);

    SimPhone& phone_;
    QmslHandle handle_;
    QmslTextCallback callback_;
    std::string error_;
};

// The placements the program entries ask for, images looked up through
// findImage (file name → path, "" when missing); entries without a file name
// place nothing. False with the reason when a sector cannot be resolved or an
// image is missing.
bool PlaceImages(const std::vector<ProgramEntry>& entries, uint64_t diskSectors,
                 const std::function<std::string(const std::string&)>& findImage,
                 std::vector<ImagePlacement>& placements, std::string& error);
