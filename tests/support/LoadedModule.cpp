#include "LoadedModule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

LoadedModule::LoadedModule() {
    const char* path = std::getenv("ZUKIP_MODULE");
    handle_ = dlopen(path ? path : "", RTLD_NOW | RTLD_LOCAL);
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
