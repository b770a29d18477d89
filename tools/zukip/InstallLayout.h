#pragma once
// Where zukip finds what it ships with: the driver module and the sample base
// folder lie at fixed places relative to the program itself (bin/zukip,
// lib/zukip/ZuKIP.so, share/zukip/base, share/zukip/printer-sim), both in the build tree and under any
// install prefix, so that an installed or moved copy never looks back into
// the tree it was built from.
#include <string>

class InstallLayout {
public:
    // The folder holding the running program; empty when the system cannot tell.
    static std::string programFolder();
    // The module shipped with the program.
    static std::string module();
    // The sample base folder shipped with the program.
    static std::string sampleBase();
    // The printer simulator script shipped with the program.
    static std::string printerSimulator();
};
