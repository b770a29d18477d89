#include "DisplayAccess.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
bool hasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts the process when its platform cannot connect, so a local X display
// (":N" or ":N.S") counts only when its server socket is there.
bool xDisplayReachable() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    if (display[0] != ':') return true;   // a remote display: the toolkit has to try
    const std::string number(display + 1, display + 1 + std::strspn(display + 1, "0123456789"));
    return !number.empty() && access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0;
}
}  // namespace

bool DisplayAccess::Available() {
    return hasEnv("QT_QPA_PLATFORM") || hasEnv("WAYLAND_DISPLAY") || xDisplayReachable();
}
