#include "QtApplicationScope.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
QApplication* g_ownApplication = nullptr;
int g_scopes = 0;

bool hasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts the process when its platform cannot connect, so a local X display
// (":N" or ":N.S") counts only when its server socket is there.
bool xDisplayReachable() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    if (display[0] != ':') return true;   // a remote display: Qt has to try
    const std::string number(display + 1, display + 1 + std::strspn(display + 1, "0123456789"));
    return !number.empty() && access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0;
}
}  // namespace

QtApplicationScope::QtApplicationScope() {
    ++g_scopes;
    if (Ready() || !CanShowWindows()) return;
    // QApplication keeps argc by reference and argv for its whole life.
    static int argc = 1;
    static char name[] = "ZuKIP";
    static char* argv[] = {name, nullptr};
    g_ownApplication = new QApplication(argc, argv);
}

QtApplicationScope::~QtApplicationScope() {
    if (--g_scopes > 0 || !g_ownApplication) return;
    delete g_ownApplication;
    g_ownApplication = nullptr;
}

bool QtApplicationScope::Ready() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

bool QtApplicationScope::CanShowWindows() {
    if (Ready()) return true;
    if (QCoreApplication::instance()) return false;   // a non-GUI Qt application cannot host widgets
    return hasEnv("QT_QPA_PLATFORM") || hasEnv("WAYLAND_DISPLAY") || xDisplayReachable();
}
