// File and folder helpers the test programs share. They report failures as
// return values; each test program turns them into its own assertions.
#pragma once

#include <optional>
#include <string>

namespace testsupport {

// Windows form (back slashes) of a path.
std::wstring WithBackSlashes(std::wstring path);
// Windows form of the committed fixtures folder.
std::wstring FixturesDir();
// Windows form of the data folder the tool ships with (phone list, download
// agent, FireHose programmers).
std::wstring ProductDataDir();
// Folder of the running test program.
std::wstring ProgramFolder();
// UTF-8 form of a wide text, for failure messages and UTF-8 files.
std::string Utf8(const std::wstring& text);

// Creates the folder and any missing folders above it.
bool MakeFolders(const std::wstring& path);
// Writes the bytes as the whole file, replacing what was there.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The whole file; none when it cannot be opened.
std::optional<std::string> ReadBytes(const std::wstring& path);
// Deletes a folder with everything below it; true when it is gone.
bool RemoveFolderTree(const std::wstring& folder);
// Copies what lies below `from` into `to` (created when missing).
bool CopyFolderTree(const std::wstring& from, const std::wstring& to);

// A fresh folder under the temporary folder, named by a prefix, the process
// and a serial number; removed with everything below it.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    bool Created() const { return created_; }

private:
    std::wstring path_;
    bool created_ = false;
};

}  // namespace testsupport
