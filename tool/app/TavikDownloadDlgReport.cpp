// Reports of the configuration, the Qualcomm engine and the MediaTek library:
// percentages, coloured status texts and the log.
#include "TavikDownloadDlg.h"

#include <cstring>

#include "TextFormat.h"

namespace {

// The longest text a report record's length field can describe.
constexpr size_t kMaxMtkTextBytes = 0xFFFF;

// The record's text as wide text; empty for a record without text.
std::wstring WideReportText(const DownloadMessage& message) {
    const auto* text = static_cast<const wchar_t*>(message.text);
    return text ? std::wstring(text) : std::wstring();
}

bool IsShownPercent(const DownloadMessage& message) {
    return IsPercentReport(message) && message.value >= 0 && message.value <= 100;
}

DWORD LevelColor(int level) {
    switch (level) {
    case MSG_LEVEL_SUCCESS:
        return kStatusGreen;
    case MSG_LEVEL_INFO:
        return kStatusBlack;
    default:
        return kStatusRed;
    }
}

}  // namespace

void CTavikDownloadDlg::OnCheckMessage(const DownloadMessage* message) {
    CTavikDownloadDlg* window = MainWindow();
    if (window && message) {
        window->ReportCheckStatus(*message);
    }
}

void CTavikDownloadDlg::OnDownloadMessage(const DownloadMessage* message) {
    CTavikDownloadDlg* window = MainWindow();
    if (window && message) {
        window->ReportDownloadStatus(*message);
    }
}

void CTavikDownloadDlg::OnMtkMessage(const DownloadMessage* message) {
    CTavikDownloadDlg* window = MainWindow();
    if (!window || !message) {
        return;
    }
    // The library's text is narrow, in the ANSI code page. Its length is the
    // text's own, read no further than a report record can carry.
    const auto* narrow = static_cast<const char*>(message->text);
    const std::wstring wide =
        narrow ? AnsiToWide(std::string(narrow, strnlen(narrow, kMaxMtkTextBytes))) : std::wstring();
    DownloadMessage converted = *message;
    converted.text = narrow ? wide.c_str() : nullptr;
    converted.length = static_cast<uint16_t>(wide.size() < 0xFFFF ? wide.size() : 0xFFFF);
    window->jobReports_.NoteLibraryText(wide);
    window->ReportDownloadStatus(converted);
}

void CTavikDownloadDlg::OnQmslText(void* handle, const char* text, uint16_t length) {
    if (CTavikDownloadDlg* window = MainWindow()) {
        window->qcom_.OnQmslText(handle, text, length);
    }
}

void CTavikDownloadDlg::ReportCheckStatus(const DownloadMessage& message) {
    if (IsShownPercent(message)) {
        SetCheckPercent(message.value);
    }
    if (!message.text) {
        return;
    }
    const std::wstring text = WideReportText(message);
    const int level = ReportLevel(message);
    if (level != MSG_LEVEL_NONE) {
        // A package file gone since the check fails the download through
        // here: its error is the reason of that step.
        jobReports_.Note(text, message.code);
        ShowStatusText(text, LevelColor(level));
    }
    AppendLogLine(text);
}

void CTavikDownloadDlg::ReportDownloadStatus(const DownloadMessage& message) {
    if (IsShownPercent(message)) {
        SetRingProgress(L"DownloadProgress", message.value);
    }
    const int level = ReportLevel(message);
    if (!message.text || level == MSG_LEVEL_NONE) {
        return;
    }
    const std::wstring text = WideReportText(message);
    jobReports_.Note(text, message.code);
    ShowStatusText(text, LevelColor(level));
    // Mirrored under the pages, so the page a job ends on shows it.
    SetControlTextColor(L"DownloadStatus", LevelColor(level));
    SetControlText(L"DownloadStatus", text);
    AppendLogLine(text);
}

void CTavikDownloadDlg::ShowStatusText(const std::wstring& text, DWORD color) {
    SetControlTextColor(L"SelectSoftStatus", color);
    SetControlText(L"SelectSoftStatus", text);
    // The invalid-package page covers the status line: it shows the latest
    // error itself, so the user sees why the package was refused.
    if (color == kStatusRed) {
        SetControlText(L"InvalidPackageReason", text);
    }
}

void CTavikDownloadDlg::SetCheckPercent(int percent) { SetControlText(L"CheckSWGif", FormatWide(L"%d%%", percent)); }

bool CTavikDownloadDlg::CreateLogFile() { return log_.Create(CLogFile::PathInFolder(config_.exeFolder)); }

void CTavikDownloadDlg::AppendLogLine(const std::wstring& text) { log_.AppendLine(text); }
