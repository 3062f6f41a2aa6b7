// Reads the bytes of a named image from wherever the skin keeps it: the
// program's resources, the resource folder, the skin archive, or a plain path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace TavikUI {

// A block of bytes read for one image.
struct ImageBytes {
    std::unique_ptr<uint8_t[]> data;
    uint32_t size = 0;
};

// Larger files, archive items and resources are refused before anything is
// allocated for them: no skin image comes near it.
constexpr uint32_t kMaxImageFileBytes = 96u << 20;

// The first source that yields the whole item wins: the resource (name, type)
// when a type is given; else the resource folder's file, or the skin archive's
// item when an archive is named; then the name as a file path. False when no
// source yields bytes.
bool ReadImageBytes(const wchar_t* name, const wchar_t* resourceType, ImageBytes& bytes);

}  // namespace TavikUI
