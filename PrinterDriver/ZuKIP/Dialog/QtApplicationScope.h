#pragma once
// A Qt application for as long as the module shows windows. A Qt host has
// its own; a host without one gets one made by the module, when a display is
// available, and destroyed when the last window that needed it is gone.
class QApplication;

class QtApplicationScope {
public:
    // Uses the running QApplication, or makes one when there is none and a display is available.
    QtApplicationScope();
    // Destroys the application this module made once no scope needs it any more.
    ~QtApplicationScope();
    QtApplicationScope(const QtApplicationScope&) = delete;
    QtApplicationScope& operator=(const QtApplicationScope&) = delete;

    // True when widgets can be made: a QApplication runs.
    static bool Ready();
    // True when a QApplication runs or one could be made (a platform named in QT_QPA_PLATFORM,
    // an X display whose local socket exists, or a Wayland display).
    static bool CanShowWindows();
};
