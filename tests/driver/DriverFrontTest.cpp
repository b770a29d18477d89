// The driver front over a scripted engine: host record copies, special media
// ids, the job calls and the options operations.
#include "CDriver.h"
#include "OptionsDialogHook.h"
#include "Platform/PlatformMessageBox.h"
#include "RVLog.h"
#include "TempBaseFolder.h"
#include "TestEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {
DriverOptions filled(uint8_t value) {
    DriverOptions block;
    std::memset(&block, value, sizeof block);
    return block;
}

// A block of bytes value that carries the current version, so that mode 3 does not reset it.
DriverOptions validBlock(uint8_t value) {
    DriverOptions block = filled(value);
    block.optionsVersion = kOptionsVersion;
    return block;
}

bool same(const DriverOptions& a, const DriverOptions& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class DriverFront : public ::testing::Test {
protected:
    DriverFront() : engine(new TestEngine), driver(engine) { engine->mediaIds = {5, 7, 9}; }

    // Media id the engine sees for a setup with the given id.
    int32_t seenForSetup(int32_t id) {
        PrinterSetup setup;
        setup.mediaId = id;
        driver.getColorModeName(0, nullptr, nullptr, &setup);
        EXPECT_EQ(setup.mediaId, id);   // the caller's record stays as it was
        return engine->receivedMediaId;
    }

    // Media id the engine sees for a media entry with the given id.
    int32_t seenForMedia(int32_t id) {
        PrinterSetup setup;
        MediaEntry media{};
        media.id = id;
        driver.checkMedia(&setup, &media, 0, 0, nullptr);
        EXPECT_EQ(media.id, id);
        return engine->receivedMediaId;
    }

    TempBaseFolder base;
    TestEngine* engine;
    CDriver driver;
};

// Opens a job without a job file: the engine is never started, the record stays.
class DriverJobCalls : public DriverFront {
protected:
    DriverJobCalls() {
        NullPort port;
        driver.openJob(&request, &port);
        request.portCode = 256;
    }
    JobRequest request{};
};

// Dialog presenters a GUI layer could install.
int g_presenterCalls = 0;
uint8_t g_versionSeen = 0;
int presentAndConfirm(DriverOptions* block, PrinterSetup*, void*) {
    ++g_presenterCalls;
    g_versionSeen = block->optionsVersion;
    block->copies = 9;
    return kIdOk;
}
int presentAndCancel(DriverOptions* block, PrinterSetup*, void*) {
    ++g_presenterCalls;
    g_versionSeen = block->optionsVersion;
    block->copies = 9;
    block->invertOutput = 1;
    block->reserved[100] = 0x42;
    return kIdCancel;
}
int presentAndFail(DriverOptions* block, PrinterSetup*, void*) {
    block->copies = 9;
    throw std::runtime_error("dialog failed");
}

class EditOptions : public DriverFront {
protected:
    EditOptions() { g_presenterCalls = 0; }
    ~EditOptions() override { OptionsDialogHook::SetPresenter(nullptr); }
};
}  // namespace

TEST(PrinterSetupRecord, CopyOwnsItsStringAndAssignmentReplacesIt) {
    auto* source = new PrinterSetup;
    source->setOwnedString("abc");
    const PrinterSetup copy(*source);
    PrinterSetup target;
    target.setOwnedString("old");
    target = *source;
    delete source;   // under the address sanitizer, a shared string would be read after free below
    EXPECT_STREQ(copy.ownedString, "abc");
    EXPECT_STREQ(target.ownedString, "abc");
    target = PrinterSetup();
    EXPECT_TRUE(target.ownedString == nullptr);
}

TEST_F(DriverFront, SpecialMediaIdsResolveAgainstTheEngineListWhenItHasEnoughEntries) {
    struct Case { std::vector<int32_t> list; int32_t id, seen; };
    const Case cases[] = {
        {{5, 7, 9}, -101, 7}, {{5, 7, 9}, -100, 9}, {{5, 7, 9}, -102, 9}, {{5, 7, 9}, -103, -103},
        {{5, 7, 9}, -99, -99}, {{5, 7, 9}, 4, 4},   {{}, -100, -100},     {{3}, -101, -101}, {{3}, -100, 3},
    };
    for (const Case& c : cases) {
        engine->mediaIds = c.list;
        EXPECT_EQ(seenForSetup(c.id), c.seen) << c.id << " of " << c.list.size();
        EXPECT_EQ(seenForMedia(c.id), c.seen) << c.id << " of " << c.list.size();
    }
}

TEST_F(DriverFront, NullRecordsBecomeNeutralCopies) {
    engine->receivedMediaId = 99;
    driver.getDefaultColorMode(nullptr, nullptr);
    EXPECT_EQ(engine->receivedMediaId, 0);
    driver.checkMedia(nullptr, nullptr, 0, 0, nullptr);
    EXPECT_EQ(engine->receivedMediaId, -1);
}

// A driver whose engine could not be made answers the calls that take host records
// without touching an engine; the fixed answers of the reserved slots are not repeated here.
TEST(DriverWithoutEngine, AnswersRecordCallsWithoutAnEngine) {
    CDriver d(nullptr);
    PrinterSetup setup;
    MediaEntry media{};
    int number = 0;
    EXPECT_EQ(d.getColorModeName(0, &number, nullptr, &setup), 0);
    EXPECT_EQ(d.findColorMode("CMYK"), -1);
    EXPECT_EQ(d.getColorantList(0, nullptr), 0);
    EXPECT_EQ(d.getScreeningTable(nullptr, &setup), 0);
    EXPECT_EQ(d.getDefaultColorMode(nullptr, &setup), -1);
    EXPECT_EQ(d.readOptions("", nullptr, &setup), 0);
    EXPECT_EQ(d.setOutputName("x", 0), 0);
    EXPECT_EQ(d.getMediaList(&setup, nullptr, nullptr), 0);
    EXPECT_EQ(d.reserved24(&setup, &media, 0, 0), 0);
    EXPECT_EQ(d.getMediaControl(&setup, &media, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(d.reserved26(&setup, &media, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.checkMedia(&setup, &media, 0, 0, nullptr), 0);
    EXPECT_EQ(d.validateOptions(nullptr), 0);
    EXPECT_EQ(d.getDitherTable(&setup, "", &setup, nullptr), 0);
    EXPECT_EQ(d.reserved50(&setup, &media, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.setPrinterSetup(&setup), 0);

    DriverOptions a = filled(0x5A);
    DriverOptions b = a;
    EXPECT_EQ(d.optionsDiffer(&a, &b), 0);
    b.reserved[246] ^= 1;   // byte 255
    EXPECT_EQ(d.optionsDiffer(&a, &b), 1);

    MediaList list(2);
    d.reservedList29(&list);
    EXPECT_TRUE(list.empty());
}

TEST_F(DriverFront, OpenJobWithoutPortFailsAndKeepsTheRecordUntilReplaced) {
    JobRequest request{};
    EXPECT_EQ(driver.openJob(&request, nullptr), 0);
    EXPECT_EQ(request.portCode, -1);
    ASSERT_NE(driver.currentJob(), nullptr);
    EXPECT_EQ(driver.currentJob()->request, &request);

    JobRequest second{};
    EXPECT_EQ(driver.openJob(&second, nullptr), 0);
    EXPECT_EQ(driver.currentJob()->request, &second);
    EXPECT_EQ(driver.openJob(nullptr, nullptr), 0);
    ASSERT_NE(driver.currentJob(), nullptr);
    EXPECT_EQ(driver.currentJob()->request, nullptr);
}

TEST_F(DriverJobCalls, RefusedOrFailingStepsAreLoggedUnlessTheJobWasAborted) {
    RVLogCapture log;
    EXPECT_EQ(driver.processJobStep(), 1);
    EXPECT_TRUE(log.messages().empty());
    engine->stepResult = 0;
    EXPECT_EQ(driver.processJobStep(), 0);
    engine->stepResult = 1;
    engine->throwInStep = true;
    EXPECT_EQ(driver.processJobStep(), 0);
    ASSERT_EQ(log.messages().size(), 2u);
    EXPECT_EQ(log.messages()[0], "Exception");
    EXPECT_NE(log.lines()[1].find("PrinterDriver\\Common\\Xsrc\\ABasePrinterDriverImp("), std::string::npos);

    engine->throwInStep = false;
    engine->stepResult = 0;
    EXPECT_EQ(driver.abortJob(), 1);
    EXPECT_EQ(request.portCode, -1);
    EXPECT_EQ(driver.currentJob()->aborted, 1);
    EXPECT_EQ(driver.processJobStep(), 0);
    EXPECT_EQ(log.messages().size(), 2u);
}

TEST_F(DriverJobCalls, FailingAbortOrRefusedOutputNameEndsTheJob) {
    EXPECT_EQ(driver.setOutputName("job", 0), 1);
    EXPECT_EQ(request.portCode, 256);
    engine->outputNameResult = 0;
    EXPECT_EQ(driver.setOutputName("job", 0), 1);
    EXPECT_EQ(request.portCode, -1);
    request.portCode = 256;
    RVLogCapture log;
    engine->throwInAbort = true;
    EXPECT_EQ(driver.abortJob(), 0);
    EXPECT_EQ(request.portCode, -1);
}

TEST_F(DriverFront, JobCallsWithoutJobAnswerZeroAndOptionsDifferIsTheEngines) {
    EXPECT_EQ(driver.processJobStep(), 0);
    EXPECT_EQ(driver.abortJob(), 0);
    EXPECT_EQ(engine->abortCalls, 0);
    DriverOptions a = filled(0), b = filled(0xFF);
    EXPECT_EQ(driver.optionsDiffer(&a, &b), 0);
}

TEST_F(EditOptions, ModeTwoResetsWithoutDialogAndUnknownModesChangeNothing) {
    OptionsDialogHook::SetPresenter(presentAndConfirm);
    DriverOptions block = validBlock(0x10);
    EXPECT_EQ(driver.editOptions(&block, 2, nullptr, nullptr), 1);
    DriverOptions expected = filled(0x10);
    setDefaultOptions(&expected);
    EXPECT_TRUE(same(block, expected));
    for (int mode : {0, 4, -1}) {
        block = filled(0x10);
        EXPECT_EQ(driver.editOptions(&block, mode, nullptr, nullptr), 0);
        EXPECT_TRUE(same(block, filled(0x10)));
    }
    EXPECT_EQ(g_presenterCalls, 0);
}

// Mode 3 resets a block of an older version before the dialog; a cancelled or
// headless dialog (no presenter: it cannot be shown) then restores every byte
// the block had at that point.
TEST_F(EditOptions, CancelledOrHeadlessModeThreeKeepsAValidBlockAndResetsAnOldOne) {
    DriverOptions old = filled(0x10);
    old.optionsVersion = 19;
    DriverOptions defaults = filled(0x10);
    setDefaultOptions(&defaults);
    struct Case { OptionsDialogHook::Presenter presenter; DriverOptions block, expected; int calls; };
    const Case cases[] = {
        {presentAndCancel, validBlock(0x01), validBlock(0x01), 1},
        {nullptr, validBlock(0x01), validBlock(0x01), 0},
        {presentAndCancel, old, defaults, 1},
    };
    for (const Case& c : cases) {
        OptionsDialogHook::SetPresenter(c.presenter);
        g_presenterCalls = 0;
        g_versionSeen = 0;
        DriverOptions block = c.block;
        EXPECT_EQ(driver.editOptions(&block, 3, nullptr, nullptr), 1);
        EXPECT_TRUE(same(block, c.expected)) << (c.presenter ? "cancelled" : "headless") << int(c.block.optionsVersion);
        EXPECT_EQ(g_presenterCalls, c.calls);
        if (c.calls) {
            EXPECT_EQ(g_versionSeen, 20);
        }
    }
}

TEST_F(EditOptions, ConfirmKeepsWhatTheDialogWroteAndAFailingDialogAnswersZero) {
    OptionsDialogHook::SetPresenter(presentAndConfirm);
    DriverOptions block = filled(0x01);
    EXPECT_EQ(driver.editOptions(&block, 1, nullptr, nullptr), 1);
    EXPECT_EQ(block.optionsVersion, 20);
    EXPECT_EQ(block.invertOutput, 0);   // mode 1 reset the block first
    EXPECT_EQ(block.copies, 9);
    OptionsDialogHook::SetPresenter(presentAndFail);
    block = validBlock(0x01);
    EXPECT_EQ(driver.editOptions(&block, 3, nullptr, nullptr), 0);
    EXPECT_EQ(block.copies, 9);
}

TEST_F(EditOptions, ResolvesTheCallersMediaIdInPlaceAndHandsTheSetupOver) {
    PrinterSetup setup;
    setup.mediaId = -101;
    DriverOptions block = filled(0);
    EXPECT_EQ(driver.editOptions(&block, 2, &setup, nullptr), 1);
    EXPECT_EQ(setup.mediaId, 7);
    EXPECT_EQ(engine->setupCalls, 1);
    EXPECT_EQ(engine->printerSetup().mediaId, 7);
}
