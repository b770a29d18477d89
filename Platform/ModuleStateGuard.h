#pragma once
// Switches the window framework to the module's own state for the length of
// a host call. The Linux build has no framework state to switch: the guard
// only marks the places that need it.
class ModuleStateGuard {
public:
    ModuleStateGuard() = default;
    ~ModuleStateGuard() = default;
    ModuleStateGuard(const ModuleStateGuard&) = delete;
    ModuleStateGuard& operator=(const ModuleStateGuard&) = delete;
};
