// What the installer tests share: a scratch machine state (Desktop and
// Programs folders redirected, the uninstall key cleared, the driver
// installer's journal) restored when the test ends, and readers of what an
// install leaves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "MessagePump.h"
#include "TestFiles.h"

namespace SetupTests {

// Redirects the shell's Desktop and Programs folders into a scratch folder,
// names the stand-in journal, and clears the uninstall key; everything is put
// back (and the key and the system files an install copies removed) at the
// end. Tests holding one run under the CTest lock "install_registration".
class ScratchMachine {
public:
    ScratchMachine();
    ~ScratchMachine();
    ScratchMachine(const ScratchMachine&) = delete;
    ScratchMachine& operator=(const ScratchMachine&) = delete;

    bool Ready() const { return ready_; }
    const std::wstring& Root() const { return scratch_.Path(); }
    std::wstring Desktop() const { return Root() + L"\\Desktop"; }
    std::wstring Programs() const { return Root() + L"\\Programs"; }
    std::wstring JournalPath() const { return Root() + L"\\dpinst-journal.txt"; }
    // The journal's lines, in order.
    std::vector<std::wstring> Journal() const;

private:
    testsupport::ScratchFolder scratch_;
    std::wstring savedDesktop_;
    std::wstring savedPrograms_;
    bool hadInf_ = false;
    bool hadSys_ = false;
    bool ready_ = false;
};

// The dpinst stand-in beside this test program.
std::wstring DpinstStandIn();

// The process running `image` (full path, any case); 0 when none.
DWORD FindProcessByImage(const std::wstring& image);
// Ends every process running `image` (programs a test had started and no
// longer waits for) and waits for each, bounded.
void EndProcessesOf(const std::wstring& image);

using testsupport::PumpFor;
using testsupport::PumpUntil;
using testsupport::WaitFor;

}  // namespace SetupTests
