// Times CPhoneConfig::CheckQcomFiles over a generated package of 600 small
// images (more than the image table keeps). Prints the figures; it is not a
// timed test and never fails on speed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "PhoneConfig.h"
#include "TestFiles.h"
#include "TextFormat.h"

namespace {

constexpr int kImages = 600;
constexpr int kRounds = 20;

int g_reports = 0;

void CountReport(const DownloadMessage*) { ++g_reports; }

void WriteText(const std::wstring& path, const std::string& text) { testsupport::WriteBytes(path, text); }

// Package folder and phone list for one automatic-type Qualcomm model.
void MakePackage(const std::wstring& root) {
    const std::wstring package = root + L"\\BenchAuto8974";
    testsupport::MakeFolders(package);
    WriteText(root + L"\\PhoneList.Xml",
              "<PhoneInfo><Phone MachineType=\"BenchAuto8974\" Platform=\"Qcom\" "
              "DownLoadType=\"Auto\" PhonePlatform=\"8974\"/></PhoneInfo>");
    WriteText(package + L"\\Quorel_info.ini", "[product_info]\r\nVER=BenchAuto8974\r\n");
    WriteText(package + L"\\patch0.xml",
              "<patches><patch filename=\"DISK\" byte_offset=\"16\" size_in_bytes=\"4\" "
              "start_sector=\"1\" value=\"CRC32(1,92)\"/></patches>");
    std::string list = "<?xml version=\"1.0\" ?>\r\n<data>\r\n";
    const std::string filler(4096, 'B');
    for (int i = 0; i < kImages; ++i) {
        const std::string name = "bench_image_" + std::to_string(i) + ".bin";
        list += "  <program SECTOR_SIZE_IN_BYTES=\"512\" filename=\"" + name + "\" label=\"p" + std::to_string(i) +
                "\" num_partition_sectors=\"8\" start_sector=\"" + std::to_string(i * 8) + "\"/>\r\n";
        WriteText(package + L"\\" + AnsiToWide(name), filler);
    }
    WriteText(package + L"\\rawprogram_unsparse.xml", list + "</data>\r\n");
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& rate) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(rate.QuadPart);
}

}  // namespace

int main() {
    const testsupport::ScratchFolder scratch(L"config_bench_");
    const std::wstring& root = scratch.Path();
    MakePackage(root);

    CPhoneConfig config;
    config.Init();
    config.reportCallback = &CountReport;
    root.copy(config.exeFolder, root.size());
    config.exeFolder[root.size()] = L'\0';
    int status = 1;
    if (config.LoadPhoneConfig((root + L"\\BenchAuto8974").c_str())) {
        LARGE_INTEGER rate, start, end;
        QueryPerformanceFrequency(&rate);
        bool ok = true;
        QueryPerformanceCounter(&start);
        for (int round = 0; round < kRounds; ++round) {
            ok = config.CheckQcomFiles() && ok;
        }
        QueryPerformanceCounter(&end);
        const double seconds = Seconds(start, end, rate);
        std::printf("CheckQcomFiles, %d images: %s, %d counted, %.2f MB, %d reports per run\n", kImages,
                    ok ? "ok" : "FAILED", g_imageTable.count, config.qcom.romSizeMb, g_reports / kRounds);
        std::printf("%d runs in %.3f s, %.2f ms per run\n", kRounds, seconds, seconds * 1000.0 / kRounds);
        status = ok ? 0 : 1;
    } else {
        std::printf("the generated package was not accepted\n");
    }
    return status;
}
