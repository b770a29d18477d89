// The module as a host loads it: dlopen, the two exports, independent drivers,
// and the dialog library it loads (with Qt) only when a window opens.
#include "LoadedModule.h"
#include "Platform/SharedLibrary.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

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

// Whether Qt is in the process; CTest runs every test in a process of its own.
bool qtLoaded() { return SharedLibrary::IsLoaded("libQt6Core.so.6"); }

// A setup for the sample "KIP 870 Color" of the base folder, so that the page finds its model.
PrinterSetup sampleSetup() {
    PrinterSetup setup;
    std::strcpy(setup.modelName, "KIP 870 Color");
    setup.colorModeId = 5;
    return setup;
}
}  // namespace

// Two drivers over the KIP engine; the second still answers after the first,
// which failed a job, is gone.
TEST_F(Module, TwoDriversAreIndependent) {
    ABasePrinterDriver* first = module.createDriver();
    ABasePrinterDriver* d = module.createDriver();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(d, nullptr);
    JobRequest request{};
    EXPECT_EQ(first->openJob(&request, nullptr), 0);
    EXPECT_EQ(request.portCode, -1);
    delete first;

    EXPECT_EQ(d->getDriverNumber(), 8.0f);
    EXPECT_EQ(d->queryCode(), 12);
    EXPECT_EQ(d->findColorMode("grayscale"), 2);   // the built-in list, without a description
    EXPECT_EQ(d->findColorMode("Gray"), -1);
    DriverOptions a{}, b{};
    EXPECT_EQ(d->validateOptions(&a), 1);
    EXPECT_EQ(a.optionsVersion, 20);
    b.reserved[246] = 1;
    EXPECT_EQ(d->optionsDiffer(&a, &b), 0);   // the KIP engine never asks the host to tell blocks apart
    delete d;
}

// Neither the module nor a dialog that cannot open brings Qt into the process.
TEST_F(Module, WithoutADisplayThereIsNoPageAndTheDialogCountsAsCancelled) {
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    // A local display no server listens on: Qt would abort the host trying to connect to it.
    setenv("DISPLAY", ":4711", 1);
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
    EXPECT_FALSE(qtLoaded());
}

// A copy of the module whose dialog library is missing or broken says why whenever a window is
// wanted (the box goes to the log, as there is no Qt to show it), opens none and leaves the block alone.
TEST(ModuleDialogLibrary, MissingOrBrokenIsReportedAndNothingOpens) {
    TempBaseFolder base;
    base.copySamples();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    struct Case {
        const char* name;
        const char* library;   // what lies beside the module as its dialog library: null (nothing), or a file to copy
        const char* reason;
    };
    const Case cases[] = {{"missing", nullptr, "No such file"},
                          {"no-factory", LoadedModule::builtPath(), "does not export zukipDialogFunctions"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = base.path() / c.name, copy = folder / "ZuKIP.so";
        fs::create_directories(folder);
        fs::copy_file(LoadedModule::builtPath(), copy);
        if (c.library) fs::copy_file(c.library, folder / "ZuKIPDialog.so");
        fs::remove(base.temp() / "ZuKIP.log");
        {
            const LoadedModule module(copy.c_str());
            ASSERT_TRUE(module.loaded());
            DriverOptions block{};
            setDefaultOptions(&block);
            block.invertOutput = 1;
            PrinterSetup setup = sampleSetup();
            EXPECT_EQ(module.createPage(&block, &setup), nullptr);
            ABasePrinterDriver* driver = module.createDriver();
            EXPECT_EQ(driver->editOptions(&block, 3, &setup, nullptr), 1);
            EXPECT_EQ(block.invertOutput, 1);
            delete driver;
        }
        const std::string log = readFile(base.temp() / "ZuKIP.log");
        const std::string box = "Message box: The \"Driver Options\" dialog cannot be opened";
        EXPECT_NE(log.find(box), log.rfind(box)) << "one box for the page, one for the dialog:\n" << log;
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
    }
}

TEST(ModuleExports, ExactlyTheEntryPointsOfTheModuleAndTheFactoryOfItsDialogLibrary) {
    const std::set<std::string> module = {"createDriverPage", "createNewPrinterDriver"}, dialog = {"zukipDialogFunctions"};
    EXPECT_EQ(exportedSymbols(LoadedModule::builtPath()), module);
    EXPECT_EQ(exportedSymbols((fs::path(LoadedModule::builtPath()).parent_path() / "ZuKIPDialog.so").string()), dialog);
}
