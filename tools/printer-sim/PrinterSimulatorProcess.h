#pragma once
// Runs the printer simulator (printer_sim.py, with the system's Python and
// pyftpdlib) as a child process on 127.0.0.1 with a free port, for the demo
// and the tests. The simulator ends with this object, or with this process.
#include <filesystem>
#include <string>
#include <vector>

class PrinterSimulatorProcess {
public:
    // Starts the simulator script serving root, logging the commands it
    // receives to commandLog, with further simulator options (fault
    // switches); throws std::runtime_error when it does not start.
    PrinterSimulatorProcess(const std::string& script, const std::filesystem::path& root,
                            const std::filesystem::path& commandLog, const std::vector<std::string>& options = {});
    ~PrinterSimulatorProcess();   // stops the simulator and waits for it
    PrinterSimulatorProcess(const PrinterSimulatorProcess&) = delete;
    PrinterSimulatorProcess& operator=(const PrinterSimulatorProcess&) = delete;

    int port() const { return port_; }
    // "<RootElement .../>": FTP settings of the driver that name this simulator.
    std::string settingsXml(const std::string& extraAttributes = "") const;

private:
    void stop();

    int pid_ = -1;
    int port_ = 0;
    int input_ = -1;   // the write end of the simulator's standard input
};
