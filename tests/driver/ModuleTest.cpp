// The module as a host loads it: dlopen, the two exports, independent drivers.
#include "ABasePrinterDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <set>
#include <sstream>
#include <string>

namespace {
using CreateDriver = ABasePrinterDriver* (*)();
using CreatePage = ADriverPage* (*)(DriverOptions*, PrinterSetup*);

const char* modulePath() {
    const char* path = std::getenv("ZUKIP_MODULE");
    return path ? path : "";
}

class Module : public ::testing::Test {
protected:
    void SetUp() override {
        handle = dlopen(modulePath(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        createDriver = reinterpret_cast<CreateDriver>(dlsym(handle, "createNewPrinterDriver"));
        createPage = reinterpret_cast<CreatePage>(dlsym(handle, "createDriverPage"));
        ASSERT_NE(createDriver, nullptr);
        ASSERT_NE(createPage, nullptr);
    }
    void TearDown() override {
        if (handle) dlclose(handle);
    }

    void* handle = nullptr;
    CreateDriver createDriver = nullptr;
    CreatePage createPage = nullptr;
};

// The answers of a driver over the KIP engine that need no job and no description.
void expectKipEngineAnswers(ABasePrinterDriver& d) {
    EXPECT_EQ(d.getDriverNumber(), 8.0f);
    EXPECT_EQ(d.queryCode(), 12);
    EXPECT_EQ(d.processJobStep(), 0);
    EXPECT_EQ(d.reserved4(), 0);
    EXPECT_EQ(d.reserved14(), 1);
    EXPECT_EQ(d.findColorMode("Grayscale"), 2);
    ColorantEntry entries[4] = {};
    ColorantList list{0, entries, 4};
    EXPECT_EQ(d.getColorantList(0, &list), 1);
    EXPECT_EQ(list.count, 4);
    DriverOptions block{};
    EXPECT_EQ(d.validateOptions(&block), 1);
    EXPECT_EQ(block.optionsVersion, 20);

    JobRequest request{};
    EXPECT_EQ(d.openJob(&request, nullptr), 0);
    EXPECT_EQ(request.portCode, -1);
}

std::set<std::string> exportedSymbols(const std::string& path) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + path + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    pclose(pipe);
    return names;
}
}  // namespace

TEST_F(Module, TwoDriversAreIndependent) {
    ABasePrinterDriver* first = createDriver();
    ABasePrinterDriver* second = createDriver();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    JobRequest request{};
    first->openJob(&request, nullptr);
    delete first;
    expectKipEngineAnswers(*second);
    delete second;
}

TEST_F(Module, OptionsOperationsOfTheKipEngine) {
    ABasePrinterDriver* driver = createDriver();
    ASSERT_NE(driver, nullptr);
    DriverOptions a{};
    DriverOptions b{};
    b.reserved[246] = 1;
    // The KIP engine never asks the host to tell option blocks apart.
    EXPECT_EQ(driver->optionsDiffer(&a, &b), 0);
    EXPECT_EQ(driver->editOptions(&a, 2, nullptr, nullptr), 1);
    EXPECT_EQ(a.optionsVersion, 20);
    EXPECT_EQ(a.copies, 1);
    delete driver;
}

TEST(ModuleExports, ExactlyTheTwoEntryPoints) {
    const std::set<std::string> expected = {"createDriverPage", "createNewPrinterDriver"};
    EXPECT_EQ(exportedSymbols(modulePath()), expected);
}
