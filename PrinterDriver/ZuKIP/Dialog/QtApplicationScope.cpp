#include "QtApplicationScope.h"

#include "Platform/DisplayAccess.h"

#include <QApplication>

namespace {
QApplication* g_ownApplication = nullptr;
int g_scopes = 0;
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
    return DisplayAccess::Available();
}
