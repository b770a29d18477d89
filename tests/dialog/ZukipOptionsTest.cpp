// zukip options on a virtual X display (Xvfb started by the test on a free
// display number): the window "Driver Options" opens, Return accepts it and
// prints the options text, Escape cancels it and prints nothing.
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {
bool installed(const char* program) { return std::system(("command -v " + std::string(program) + " >/dev/null").c_str()) == 0; }

// An X server of our own for the test's lifetime.
class VirtualDisplay {
public:
    VirtualDisplay() {
        // The shell reports its pid and becomes Xvfb, which reports the display number it chose.
        pipe = popen("echo $$; exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null", "r");
        if (!pipe) return;
        char line[64];
        if (std::fgets(line, sizeof line, pipe)) pid = std::atoi(line);
        if (std::fgets(line, sizeof line, pipe)) display = ":" + std::string(line, std::strcspn(line, "\n"));
    }
    ~VirtualDisplay() {
        if (pid > 0) kill(pid, SIGTERM);
        if (pipe) pclose(pipe);
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    std::string display;   // empty when the server did not start

private:
    FILE* pipe = nullptr;
    int pid = 0;
};

struct DialogRun {
    int status = -1;
    std::string out;
    std::string errors;   // what zukip wrote to its standard error
};

// Starts zukip options on display, waits for its window, presses key in it and collects the result.
DialogRun pressInDialog(const std::string& display, const TempBaseFolder& base, const char* key) {
    // No leak check when zukip ends (sanitizer build): with Qt's X11 threads ending beside
    // it, LeakSanitizer's thread stopping now and then crashes ("Tracer caught signal 11"),
    // exits 1 and loses the buffered options text. The offscreen tests check the dialog's leaks.
    const std::string env = "env -u QT_QPA_PLATFORM DISPLAY=" + display + " ZUKIP_BASE_DIR='" + base.path().string() +
                            "' ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 ";
    const std::string errors = (base.path() / "zukip-errors.txt").string();
    // The bound keeps a window nobody closes from stalling the test run.
    FILE* program = popen((env + "timeout 120 '" ZUKIP_PROGRAM "' options -c 3 2>'" + errors + "'").c_str(), "r");
    DialogRun run;
    if (!program) return run;
    // On a busy machine xdotool now and then fails to connect to the display
    // at once ("Failed creating new xdo instance"); a few tries ride that out.
    std::string window;
    for (int attempt = 0; attempt < 5 && window.empty(); ++attempt) {
        if (attempt > 0) std::system("sleep 1");
        const std::string find = "timeout 60 xdotool search --sync --onlyvisible --name '^Driver Options$' 2>/dev/null";
        FILE* search = popen((env + find).c_str(), "r");
        if (!search) continue;
        char id[64] = {};
        if (std::fgets(id, sizeof id, search)) window.assign(id, std::strcspn(id, "\n"));
        pclose(search);
    }
    EXPECT_FALSE(window.empty()) << "no window \"Driver Options\" appeared";
    // The key goes to the server, not to the window: sent to a window that
    // closes on the press, its release would be lost, and the key left held
    // down would auto-repeat into the next dialog.
    std::system((env + "xdotool windowfocus --sync " + window + " >/dev/null 2>&1").c_str());
    std::system((env + "xdotool key " + key + " >/dev/null 2>&1").c_str());
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, program)) run.out += buffer;
    const int status = pclose(program);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = readFile(errors);
    return run;
}
}  // namespace

TEST(ZukipOptions, ReturnPrintsTheOptionsTextAndEscapePrintsNothing) {
    if (!installed("Xvfb") || !installed("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    const VirtualDisplay x;
    ASSERT_FALSE(x.display.empty()) << "Xvfb did not start";
    TempBaseFolder base;
    base.copySamples();

    const DialogRun accepted = pressInDialog(x.display, base, "Return");
    EXPECT_EQ(accepted.status, 0) << accepted.errors;
    // The defaults: version 20, one copy, nothing else set.
    EXPECT_EQ(accepted.out, "DriverOptionBinary=1400000001" + std::string(390, '0') + "\n");

    const DialogRun cancelled = pressInDialog(x.display, base, "Escape");
    EXPECT_EQ(cancelled.status, 1) << cancelled.errors;
    EXPECT_EQ(cancelled.out, "");
}
