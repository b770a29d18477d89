// Process start and wait over posix_spawn: the program is executed directly,
// with the argument vector the Windows command-line rules give.
#include "PlatformProcess.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {
thread_local int g_lastError = 0;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program name: between quotes when it starts with one, else up to the
// next blank; backslashes are plain characters. Returns where the rest starts.
size_t splitProgramName(const std::string& line, std::vector<std::string>& words) {
    if (line[0] == '"') {
        const size_t close = line.find('"', 1);
        const size_t end = close == std::string::npos ? line.size() : close;
        words.push_back(line.substr(1, end - 1));
        return end == line.size() ? end : end + 1;
    }
    size_t end = 0;
    while (end < line.size() && !isBlank(line[end])) ++end;
    words.push_back(line.substr(0, end));
    return end;
}

void sleepMilliseconds(long ms) {
    timespec pause{0, ms * 1000000L};
    while (nanosleep(&pause, &pause) == -1 && errno == EINTR) {}
}
}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const std::string& line) {
    std::vector<std::string> words;
    if (line.empty()) return words;
    size_t i = splitProgramName(line, words);
    std::string word;
    bool inWord = false;
    bool quoted = false;
    while (i < line.size()) {
        const char c = line[i];
        if (!quoted && isBlank(c)) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            size_t n = 0;
            while (i < line.size() && line[i] == '\\') ++n, ++i;
            if (i < line.size() && line[i] == '"') {
                word.append(n / 2, '\\');
                if (n % 2) {
                    word += '"';
                    ++i;
                }
            } else {
                word.append(n, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                word += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        word += c;
        ++i;
    }
    if (inWord) words.push_back(word);
    return words;
}

PlatformProcess::~PlatformProcess() { Close(); }

bool PlatformProcess::Start(const std::string& application, const std::string& commandLine,
                            const std::string& workingFolder) {
    Close();
    std::vector<std::string> words = SplitWindowsCommandLine(commandLine);
    if (words.empty()) words.push_back(application);
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        g_lastError = ENOMEM;
        return false;
    }
    int error = 0;
    if (!workingFolder.empty()) error = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = -1;
    // posix_spawn reports a program that cannot be executed (missing, no
    // execute permission, not a program) as its own result.
    if (error == 0) error = posix_spawn(&pid, application.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        g_lastError = error;
        return false;
    }
    pid_ = pid;
    ended_ = false;
    return true;
}

PlatformProcess::WaitResult PlatformProcess::Wait(uint32_t timeoutMs) {
    if (pid_ <= 0) {
        g_lastError = ECHILD;
        return waitFailed;
    }
    if (ended_) return waitEnded;
    if (timeoutMs == kInfinite) {
        pid_t done;
        while ((done = waitpid(pid_, &status_, 0)) == -1 && errno == EINTR) {}
        if (done != pid_) {
            g_lastError = errno;
            return waitFailed;
        }
        ended_ = true;
        return waitEnded;
    }
    // A bounded wait polls: a child cannot be waited for with a time limit otherwise.
    constexpr long kPollMs = 10;
    for (uint64_t waited = 0;; waited += kPollMs) {
        const pid_t done = waitpid(pid_, &status_, WNOHANG);
        if (done == pid_) {
            ended_ = true;
            return waitEnded;
        }
        if (done == -1 && errno != EINTR) {
            g_lastError = errno;
            return waitFailed;
        }
        if (waited >= timeoutMs) return waitTimedOut;
        sleepMilliseconds(kPollMs);
    }
}

bool PlatformProcess::ExitCode(int& code) const {
    if (pid_ <= 0 || !ended_) {
        g_lastError = pid_ <= 0 ? ECHILD : EBUSY;
        return false;
    }
    code = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    return true;
}

void PlatformProcess::Close() {
    // A program that has ended but was not waited for is collected now; one
    // still running is left to itself, as closing a Windows handle does.
    if (pid_ > 0 && !ended_) waitpid(pid_, &status_, WNOHANG);
    pid_ = -1;
    ended_ = false;
}

int PlatformProcess::LastError() { return g_lastError; }
