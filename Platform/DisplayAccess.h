#pragma once
// Whether the process could open windows: a display named in its environment
// that a GUI toolkit can connect to. Asked before anything GUI is loaded, so
// that a headless process never pays for it.
class DisplayAccess {
public:
    // True when a platform is named in QT_QPA_PLATFORM, a Wayland display is named, or an X
    // display is named whose local server socket exists (a remote X display counts as there).
    static bool Available();
};
