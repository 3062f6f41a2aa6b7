#include "RawProgramList.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>

#include "StandInFiles.h"

namespace {

std::string Unescape(const std::string& value) {
    static const struct {
        const char* entity;
        char character;
    } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string text;
    for (size_t i = 0; i < value.size();) {
        bool replaced = false;
        for (const auto& entry : kEntities) {
            const size_t length = std::char_traits<char>::length(entry.entity);
            if (value.compare(i, length, entry.entity) == 0) {
                text.push_back(entry.character);
                i += length;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            text.push_back(value[i++]);
        }
    }
    return text;
}

// The value of attribute `name` inside one start tag, "" when absent.
std::string Attribute(const std::string& tag, const std::string& name) {
    size_t at = 0;
    while ((at = tag.find(name, at)) != std::string::npos) {
        const bool startsWord = at > 0 && std::isspace(static_cast<unsigned char>(tag[at - 1]));
        size_t cursor = at + name.size();
        while (cursor < tag.size() && std::isspace(static_cast<unsigned char>(tag[cursor]))) {
            ++cursor;
        }
        if (startsWord && cursor < tag.size() && tag[cursor] == '=') {
            ++cursor;
            while (cursor < tag.size() && std::isspace(static_cast<unsigned char>(tag[cursor]))) {
                ++cursor;
            }
            if (cursor < tag.size() && (tag[cursor] == '"' || tag[cursor] == '\'')) {
                const size_t end = tag.find(tag[cursor], cursor + 1);
                if (end != std::string::npos) {
                    return Unescape(tag.substr(cursor + 1, end - cursor - 1));
                }
            }
            return std::string();
        }
        at += name.size();
    }
    return std::string();
}

}  // namespace

bool ReadListElements(const std::string& path, const std::string& tag, const std::vector<std::string>& names,
                      std::vector<std::vector<std::string>>& rows) {
    const std::optional<std::string> text = standins::ReadWholeFileAnsi(path);
    if (!text) {
        return false;
    }
    const std::string& xml = *text;
    rows.clear();
    const std::string opening = "<" + tag;
    size_t at = 0;
    while ((at = xml.find('<', at)) != std::string::npos) {
        if (xml.compare(at, 4, "<!--") == 0) {
            const size_t end = xml.find("-->", at + 4);
            if (end == std::string::npos) {
                break;
            }
            at = end + 3;
            continue;
        }
        const size_t end = xml.find('>', at);
        if (end == std::string::npos) {
            break;
        }
        const std::string element = xml.substr(at, end - at);
        if (element.compare(0, opening.size(), opening) == 0 && element.size() > opening.size() &&
            std::isspace(static_cast<unsigned char>(element[opening.size()]))) {
            std::vector<std::string> row;
            for (const std::string& name : names) {
                row.push_back(Attribute(element, name));
            }
            rows.push_back(row);
        }
        at = end + 1;
    }
    return true;
}

bool ReadProgramEntries(const std::string& path, std::vector<ProgramEntry>& entries) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadListElements(path, "program", {"filename", "start_sector"}, rows)) {
        return false;
    }
    entries.clear();
    for (const std::vector<std::string>& row : rows) {
        entries.push_back({row[0], row[1]});
    }
    return true;
}

bool ResolveStartSector(const std::string& text, uint64_t diskSectors, uint64_t& sector) {
    static const std::string kFromEnd = "NUM_DISK_SECTORS-";
    const size_t at = text.find(kFromEnd);
    if (at != std::string::npos) {
        char* end = nullptr;
        const unsigned long long back = std::strtoull(text.c_str() + at + kFromEnd.size(), &end, 10);
        if (end == text.c_str() + at + kFromEnd.size() || back > diskSectors) {
            return false;
        }
        sector = diskSectors - back;
        return true;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str()) {
        return false;
    }
    sector = value;
    return true;
}
