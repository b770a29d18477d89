#pragma once
// The printer simulator (tools/printer-sim) run for one test: an FTP server
// on 127.0.0.1 with a free port, serving a fresh folder, logging every
// command it receives. Fault switches are passed as its own options
// ("--refuse-login", "--drop-after", "1000", ...). Stopped when destroyed.
#include "PrinterSimulatorProcess.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class PrinterSimulator {
public:
    // Starts the simulator with root as the printer's file system; fails the test when it does not start.
    explicit PrinterSimulator(const std::filesystem::path& root, const std::vector<std::string>& options = {});

    int port() const { return process_ ? process_->port() : 0; }
    std::filesystem::path request() const { return root_ / "request"; }   // where jobs arrive
    // The commands received so far, one per entry.
    std::vector<std::string> commands() const;
    // Writes "Temp/KIPFTPSettings.xml" of the base folder for this server, with extra attributes.
    void writeSettings(const std::filesystem::path& base, const std::string& extraAttributes = "") const;

private:
    std::filesystem::path root_;
    std::filesystem::path log_;
    std::unique_ptr<PrinterSimulatorProcess> process_;
};

// Installs the packing tool of this build as "Program(x64)/ZipCompress.exe" under base.
void installPackingTool(const std::filesystem::path& base);
