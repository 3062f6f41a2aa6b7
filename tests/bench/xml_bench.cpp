// Parses a partition list of 10,000 program entries built in memory, the
// shape of a large "rawprogram_unsparse.xml", and prints how long the parse,
// a full walk with attribute reads and a round of edits take.
#include <chrono>
#include <cstdio>
#include <string>

#include "XmlDocument.h"

namespace {

constexpr int kPrograms = 10000;

std::wstring BuildPartitionList() {
    std::wstring text = L"<?xml version=\"1.0\" ?>\n<data>\n  <!--NOTE: generated list-->\n";
    for (int i = 0; i < kPrograms; ++i) {
        const std::wstring n = std::to_wstring(i);
        text += L"  <program SECTOR_SIZE_IN_BYTES=\"512\" file_sector_offset=\"0\" filename=\"image" + n +
                L".img\" label=\"part" + n + L"\" num_partition_sectors=\"" + std::to_wstring(2048 + i) +
                L"\" physical_partition_number=\"0\" size_in_KB=\"" + std::to_wstring(1024 + i / 2) +
                L".0\" sparse=\"false\" start_byte_hex=\"0x" + std::to_wstring(i * 4) + L"00000\" start_sector=\"" +
                std::to_wstring(i * 2048) + L"\"/>\n";
    }
    text += L"</data>\n";
    return text;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    const std::wstring text = BuildPartitionList();
    CXmlDocument document;
    document.SetText(text);

    auto start = std::chrono::steady_clock::now();
    const bool parsed = document.Parse();
    const double parseMs = MillisecondsSince(start);
    if (!parsed) {
        std::printf("parse failed\n");
        return 1;
    }

    start = std::chrono::steady_clock::now();
    int programs = 0;
    size_t nameCharacters = 0;
    document.FindNextElement(L"data");
    document.EnterElement();
    while (document.FindNextElement(L"program")) {
        nameCharacters += document.GetAttributeValue(L"filename").size() + document.GetAttributeValue(L"label").size();
        ++programs;
    }
    const double walkMs = MillisecondsSince(start);

    start = std::chrono::steady_clock::now();
    document.SetText(text);
    document.Parse();
    document.FindNextElement(L"data");
    document.EnterElement();
    int edits = 0;
    while (document.FindNextElement(L"program")) {
        if (edits % 10 == 0) {
            document.SetAttributeValue(L"filename", L"");
        }
        ++edits;
    }
    const double editMs = MillisecondsSince(start);
    size_t blanked = 0;
    for (size_t at = document.Text().find(L"filename=\"\""); at != std::wstring::npos;
         at = document.Text().find(L"filename=\"\"", at + 1)) {
        ++blanked;
    }

    std::printf("xml_bench: %d programs, %zu characters\n", programs, text.size());
    std::printf("xml_bench: parse %.2f ms\n", parseMs);
    std::printf("xml_bench: walk with 2 attribute reads each %.2f ms (%zu characters read)\n", walkMs, nameCharacters);
    std::printf("xml_bench: parse and blank every tenth filename (%zu blanked) %.2f ms\n", blanked, editMs);
    return programs == kPrograms ? 0 : 1;
}
