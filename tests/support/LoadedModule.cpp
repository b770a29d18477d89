#include "LoadedModule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

const char* LoadedModule::builtPath() {
    const char* path = std::getenv("ZUKIP_MODULE");
    return path ? path : "";
}

LoadedModule::LoadedModule(const char* path) {
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        ADD_FAILURE() << "Cannot load the module: " << dlerror();
        return;
    }
    createDriver = reinterpret_cast<CreateDriver>(dlsym(handle_, "createNewPrinterDriver"));
    createPage = reinterpret_cast<CreatePage>(dlsym(handle_, "createDriverPage"));
    if (!loaded()) ADD_FAILURE() << "The module lacks createNewPrinterDriver or createDriverPage";
}

LoadedModule::~LoadedModule() {
    if (handle_) dlclose(handle_);
}

int stepJob(ABasePrinterDriver& driver, const JobRequest& request) {
    int steps = 0;
    while (steps < 100000 && request.portCode != -1) {
        ++steps;
        if (!driver.processJobStep()) return -steps;
    }
    return steps;
}
