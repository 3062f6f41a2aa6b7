#include "ScatterFile.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "StandInFiles.h"

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& text, uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

std::optional<ScatterFile> ReadScatterFile(const std::string& path) {
    const std::optional<std::string> text = standins::ReadWholeFileAnsi(path);
    if (!text) {
        return std::nullopt;
    }
    ScatterFile scatter;
    ScatterPartition* current = nullptr;
    size_t lineStart = 0;
    while (lineStart < text->size()) {
        size_t lineEnd = text->find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text->size();
        }
        std::string line = Trimmed(text->substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.rfind("- ", 0) == 0) {
            line = Trimmed(line.substr(2));
            current = nullptr;
            if (line.rfind("partition_index:", 0) == 0) {
                scatter.partitions.emplace_back();
                current = &scatter.partitions.back();
            }
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string key = Trimmed(line.substr(0, colon));
        const std::string value = Trimmed(line.substr(colon + 1));
        if (current == nullptr) {
            if (key == "platform") {
                scatter.platform = value;
            }
            continue;
        }
        if (key == "partition_name") {
            current->name = value;
        } else if (key == "file_name") {
            current->fileName = value == "NONE" ? "" : value;
        } else if (key == "is_download") {
            current->download = value == "true";
        } else if (key == "linear_start_addr" && !ParseNumber(value, current->start)) {
            return std::nullopt;
        } else if (key == "partition_size" && !ParseNumber(value, current->size)) {
            return std::nullopt;
        }
    }
    for (const ScatterPartition& partition : scatter.partitions) {
        if (partition.download && !partition.fileName.empty()) {
            return scatter;
        }
    }
    return std::nullopt;
}
