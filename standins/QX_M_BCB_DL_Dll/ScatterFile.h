// The package's scatter file as the stand-in reads it: the partitions, where
// they start on the storage and which image file fills them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ScatterPartition {
    std::string name;       // partition_name
    std::string fileName;   // file_name; empty for "NONE"
    bool download = false;  // is_download
    uint64_t start = 0;     // linear_start_addr
    uint64_t size = 0;      // partition_size
};

struct ScatterFile {
    std::string platform;  // general info's "platform"
    std::vector<ScatterPartition> partitions;
};

// None when the file cannot be read, a number does not parse or no partition
// is to be downloaded.
std::optional<ScatterFile> ReadScatterFile(const std::string& path);
