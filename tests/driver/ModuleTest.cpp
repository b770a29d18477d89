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

// The answers of a driver without engine, slot by slot.
void expectNoEngineDefaults(ABasePrinterDriver& d) {
    EXPECT_EQ(d.getDriverNumber(), 8.0f);
    EXPECT_EQ(d.processJobStep(), 0);
    EXPECT_EQ(d.abortJob(), 0);
    EXPECT_EQ(d.reserved4(), 0);
    EXPECT_EQ(d.reserved5(), 0);
    EXPECT_EQ(d.reserved6(), 0);
    EXPECT_EQ(d.reserved8(), 0);
    EXPECT_EQ(d.readOptions("DriverOptionBinary=14", nullptr, nullptr), 0);
    EXPECT_EQ(d.queryCode(), -1);
    EXPECT_EQ(d.reserved11(), 0);
    EXPECT_EQ(d.reserved13(), 0);
    EXPECT_EQ(d.reserved14(), 1);
    char name[64] = {};
    EXPECT_EQ(d.getColorModeName(0, nullptr, name, nullptr), 0);
    EXPECT_EQ(d.findColorMode("CMYK"), -1);
    EXPECT_EQ(d.getColorantList(0, nullptr), 0);
    EXPECT_EQ(d.getScreeningTable(nullptr, nullptr), 0);
    EXPECT_EQ(d.getDefaultColorMode(name, nullptr), -1);
    EXPECT_EQ(d.setOutputName("x", 0), 0);
    EXPECT_EQ(d.reserved21(), 3);
    EXPECT_EQ(d.reserved22(), 3);
    MediaList list(2);
    EXPECT_EQ(d.getMediaList(nullptr, &list, nullptr), 0);
    EXPECT_EQ(d.reserved24(nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(d.getMediaControl(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(d.reserved26(nullptr, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.reserved27(), 0);
    EXPECT_EQ(d.reserved28(), 0);
    d.reservedList29(&list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(d.reserved33(), 0);
    EXPECT_EQ(d.reserved34(), 0);
    EXPECT_EQ(d.checkMedia(nullptr, nullptr, 0, 0, nullptr), 0);
    EXPECT_EQ(d.reserved36(), 0);
    EXPECT_EQ(d.reserved37(), 1);
    EXPECT_EQ(d.reserved39(), 0);
    EXPECT_EQ(d.reserved40(), 0);
    EXPECT_EQ(d.validateOptions(nullptr), 0);
    const int positive = 1;
    EXPECT_EQ(d.reserved42(0, &positive), 1);
    EXPECT_EQ(d.reserved43(), 0);
    EXPECT_EQ(d.reserved44(), 0);
    EXPECT_EQ(d.reserved45(0, 0, nullptr), 0);
    EXPECT_EQ(d.reserved46(), 0);
    EXPECT_EQ(d.reserved47(), 0);
    EXPECT_EQ(d.reserved48(), 0);
    EXPECT_EQ(d.getDitherTable(nullptr, "", nullptr, nullptr), 0);
    EXPECT_EQ(d.reserved50(nullptr, nullptr, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.listColorants(0, nullptr), 0);
    EXPECT_EQ(d.reserved52(), 0);
    EXPECT_EQ(d.getDitherTableAlt(nullptr, "", nullptr, 0, nullptr), 0);
    EXPECT_EQ(d.reserved54(), 0);
    EXPECT_EQ(d.setPrinterSetup(nullptr), 0);

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
    expectNoEngineDefaults(*second);
    delete second;
}

TEST_F(Module, OptionsOperationsWorkWithoutEngine) {
    ABasePrinterDriver* driver = createDriver();
    ASSERT_NE(driver, nullptr);
    DriverOptions a{};
    DriverOptions b{};
    EXPECT_EQ(driver->optionsDiffer(&a, &b), 0);
    b.reserved[246] = 1;
    EXPECT_EQ(driver->optionsDiffer(&a, &b), 1);
    EXPECT_EQ(driver->editOptions(&a, 2, nullptr, nullptr), 1);
    EXPECT_EQ(a.optionsVersion, 20);
    EXPECT_EQ(a.copies, 1);
    delete driver;
}

TEST(ModuleExports, ExactlyTheTwoEntryPoints) {
    const std::set<std::string> expected = {"createDriverPage", "createNewPrinterDriver"};
    EXPECT_EQ(exportedSymbols(modulePath()), expected);
}
