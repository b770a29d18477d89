// The module as a host loads it: dlopen, the two exports, independent drivers.
#include "LoadedModule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {
class Module : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.loaded()); }

    LoadedModule module;
};

// The names the module exports, one per line of nm's plain symbol list.
std::set<std::string> exportedSymbols(const std::string& path) {
    std::set<std::string> names;
    std::FILE* pipe = popen(("nm -D --defined-only --just-symbols '" + path + "'").c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) names.insert(std::string(line, std::strcspn(line, "\n")));
    pclose(pipe);
    return names;
}
}  // namespace

// Two drivers over the KIP engine; the second still answers after the first,
// which failed a job, is gone.
TEST_F(Module, TwoDriversAreIndependent) {
    ABasePrinterDriver* first = module.createDriver();
    ABasePrinterDriver* d = module.createDriver();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_NE(first, d);
    JobRequest request{};
    EXPECT_EQ(first->openJob(&request, nullptr), 0);
    EXPECT_EQ(request.portCode, -1);
    delete first;

    EXPECT_EQ(d->getDriverNumber(), 8.0f);
    EXPECT_EQ(d->queryCode(), 12);
    EXPECT_EQ(d->processJobStep(), 0);
    EXPECT_EQ(d->findColorMode("Grayscale"), 2);
    ColorantEntry entries[4] = {};
    ColorantList list{0, entries, 4};
    EXPECT_EQ(d->getColorantList(0, &list), 1);
    EXPECT_EQ(list.count, 4);
    DriverOptions a{}, b{};
    EXPECT_EQ(d->validateOptions(&a), 1);
    EXPECT_EQ(a.optionsVersion, 20);
    b.reserved[246] = 1;
    EXPECT_EQ(d->optionsDiffer(&a, &b), 0);   // the KIP engine never asks the host to tell blocks apart
    EXPECT_EQ(d->editOptions(&b, 2, nullptr, nullptr), 1);
    EXPECT_EQ(b.copies, 1);
    delete d;
}

TEST_F(Module, WithoutADisplayThereIsNoPageAndTheDialogCountsAsCancelled) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    DriverOptions block{};
    block.optionsVersion = 20;
    block.invertOutput = 1;
    EXPECT_EQ(module.createPage(&block, nullptr), nullptr);
    ABasePrinterDriver* driver = module.createDriver();
    ASSERT_NE(driver, nullptr);
    // Mode 3 leaves the block as it was, mode 1 leaves the defaults it set before the dialog.
    EXPECT_EQ(driver->editOptions(&block, 3, nullptr, nullptr), 1);
    EXPECT_EQ(block.invertOutput, 1);
    EXPECT_EQ(driver->editOptions(&block, 1, nullptr, nullptr), 1);
    EXPECT_EQ(block.invertOutput, 0);
    EXPECT_EQ(block.copies, 1);
    delete driver;
}

TEST(ModuleExports, ExactlyTheTwoEntryPoints) {
    const std::set<std::string> expected = {"createDriverPage", "createNewPrinterDriver"};
    EXPECT_EQ(exportedSymbols(std::getenv("ZUKIP_MODULE")), expected);
}
