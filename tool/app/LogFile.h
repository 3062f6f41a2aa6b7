// The tool's log: one line per report, "YYYY-MM-DD hh:mm:ss text\r\n" in the
// ANSI code page, stamped in UTC+8 whatever the machine's time zone. The file
// is opened and closed for every line so the log survives a crash up to the
// last report; a lock keeps lines of several threads whole.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

class CLogFile {
public:
    // Stores the path and empties the file; false when it cannot be written.
    bool Create(const std::wstring& path);
    // Appends one line stamped with the current time; false when the file
    // cannot be opened (nothing else is reported: the log is best effort).
    bool AppendLine(const std::wstring& text);
    const std::wstring& Path() const { return path_; }

    // The line for a text logged at the given UTC time, shifted to UTC+8
    // with the date carried over midnight, month and year ends.
    static std::wstring FormatLine(const SYSTEMTIME& utc, const std::wstring& text);
    // "Log\\tavikLog.log" in the folder (given without a trailing back slash).
    static std::wstring PathInFolder(const std::wstring& folder);

private:
    std::wstring path_;
    std::mutex lock_;
};
