#pragma once
// The printer-driver module loaded as a third-party host loads it: dlopen
// (through the platform layer's SharedLibrary), then only the exported createNewPrinterDriver and the ABasePrinterDriver
// interface.
#include "ABasePrinterDriver.h"
#include "Platform/SharedLibrary.h"

#include <memory>
#include <string>

class DriverModule {
public:
    // Deletes a driver through its virtual destructor (the module's own code frees it).
    struct DriverDeleter {
        void operator()(ABasePrinterDriver* driver) const { delete driver; }
    };
    using Driver = std::unique_ptr<ABasePrinterDriver, DriverDeleter>;

    // The module path: the option's value when given, else env ZUKIP_MODULE, else the module shipped
    // with the program (lib/zukip/ZuKIP.so beside its bin folder).
    static std::string locate(const std::string& option);

    // Loads the module (unloaded again with this object; every driver must be gone by then); throws
    // ToolError when it is missing, does not load or lacks the export.
    explicit DriverModule(const std::string& path);
    DriverModule(const DriverModule&) = delete;
    DriverModule& operator=(const DriverModule&) = delete;

    // A new driver; throws ToolError when the module gives none.
    Driver createDriver() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    SharedLibrary library_;
    ABasePrinterDriver* (*create_)() = nullptr;
};
