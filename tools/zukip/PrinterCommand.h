#pragma once
// zukip printer: the driver's KIP printer utilities for printers on headless
// servers, the same code the "Driver Options" dialog's buttons run.
#include <string>
#include <vector>

class PrinterCommand {
public:
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "talk to the KIP printer: read its media, wake it up, choose the kawpdft tool"; }
};
