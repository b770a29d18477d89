#pragma once
// Starting an external program the way the Windows kernel does for the
// driver: the program is named by its path, its arguments travel as one
// command-line string that is split with the Windows rules (no shell is
// involved), and the caller waits for it to end.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Splits a Windows command line into its arguments as the C runtime does:
// the first word ends at the next blank (or, when quoted, at the next quote)
// and takes no escapes; in the others blanks separate words outside quotes,
// 2n backslashes before a quote give n backslashes and the quote opens or
// closes a quoted part, 2n+1 give n backslashes and a literal quote, other
// backslashes stay as they are, and "" inside a quoted part is one quote.
std::vector<std::string> SplitWindowsCommandLine(const std::string& line);

class PlatformProcess {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFF;
    enum WaitResult { waitEnded, waitTimedOut, waitFailed };

    PlatformProcess() = default;
    ~PlatformProcess();   // closes the handles; a program still running goes on alone
    PlatformProcess(const PlatformProcess&) = delete;
    PlatformProcess& operator=(const PlatformProcess&) = delete;

    // Starts application with the arguments of commandLine (its first word
    // becomes the program's own name) in workingFolder (empty: the caller's),
    // with the caller's environment; false, with LastError() set, when it
    // cannot be started (missing, not executable, not a program).
    bool Start(const std::string& application, const std::string& commandLine, const std::string& workingFolder = "");
    // Waits until the program ends or timeoutMs pass (kInfinite: no limit).
    WaitResult Wait(uint32_t timeoutMs);
    // The exit code of the ended program; false, with LastError() set, when there is none.
    bool ExitCode(int& code) const;
    // Closes the handles (the program is not stopped).
    void Close();
    bool IsStarted() const { return pid_ > 0; }

    // The error number of the last failed call of this thread.
    static int LastError();

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};
