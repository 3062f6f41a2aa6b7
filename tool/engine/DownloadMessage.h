// The report record that the configuration side, the Qualcomm engine and the
// maker's MediaTek library hand to the main window, and the callback types
// that carry it.
#pragma once

#include <cstdint>
#include <string>

// Codes of a report. Bit 0x80 marks a percentage; otherwise the two low bits
// give the level of the text. 0x20 and 0x40 are set by senders on log and
// status lines; a receiver reads them only to tell MSG_FALLBACK from a
// failure that ends its step.
enum DownloadMessageCode : int32_t {
    MSG_PERCENT = 0x80,
    MSG_LEVEL_MASK = 0x03,
    MSG_LEVEL_NONE = 0,
    MSG_LEVEL_SUCCESS = 1,
    MSG_LEVEL_INFO = 2,
    MSG_LEVEL_ERROR = 3,

    MSG_STEP_OK = 0x21,        // a step succeeded
    MSG_DETAIL = 0x22,         // detail or log line
    MSG_FALLBACK = 0x23,       // failed attempt followed by a fallback
    MSG_DOWNLOADING = 0x42,    // file being downloaded
    MSG_PATH_WARNING = 0x43,   // package-path or phone-list warning
    MSG_SUMMARY = 0x61,        // summary or step success, status
    MSG_PROGRESS_LINE = 0x62,  // a step begins, progress line
    MSG_FAILURE = 0x63,        // failure that ends the step
};

// 16 bytes on the shipped 32-bit build; valid only during the callback.
struct DownloadMessage {
    int32_t code;
    int32_t value;     // 0..100 when code has MSG_PERCENT, else 0
    uint16_t length;   // characters of text, 0 for percentages
    const void* text;  // wide from the tool, narrow (ANSI) from the MediaTek library
};

using ReportCallback = void (*)(const DownloadMessage* message);
// QMSL calls this with (handle, narrow text, length) during its operations.
using QmslTextCallback = void (*)(void* handle, const char* text, uint16_t length);

// Every sender passes its texts through this before reporting them: it maps a
// text to its replacement from a fixed table, or returns it unchanged.
std::wstring LookupMessageText(const std::wstring& text);

inline bool IsPercentReport(const DownloadMessage& message) { return (message.code & MSG_PERCENT) != 0; }
inline int ReportLevel(const DownloadMessage& message) { return message.code & MSG_LEVEL_MASK; }
