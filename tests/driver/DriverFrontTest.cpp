// The driver front over a scripted engine: host record copies, special media
// ids, the job header read by openJob, the job calls and the options operations.
#include "CDriver.h"
#include "DriverError.h"
#include "LoadedModule.h"
#include "OptionsDialogHook.h"
#include "RVLog.h"
#include "TempBaseFolder.h"
#include "TestJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
MediaEntry mediaWithId(int32_t id) {
    MediaEntry entry{};
    entry.id = id;
    return entry;
}

// An engine with scripted answers that records what the driver handed over.
class TestEngine : public ABaseRTL {
public:
    std::vector<int32_t> mediaIds{5, 7, 9};   // the media list GetMediaList answers
    int stepResult = 1;
    bool throwInStep = false;
    bool throwInAbort = false;
    int outputNameResult = 1;
    int32_t receivedMediaId = 0;   // of the last setup or entry the engine received
    DriverOptions* startedOptions = nullptr;

    int StartJob(DriverJob*, int, OutputPort*, DriverOptions* options) override {
        startedOptions = options;
        return 1;
    }
    int AbortJob() override {
        if (throwInAbort) throw std::runtime_error("abort failed");
        return 1;
    }
    int ProcessJobStep() override {
        if (throwInStep) throw DriverError{-5};
        return stepResult;
    }
    int GetDeviceResolution(int*, int*) override { return 1; }
    int GetEngineCode() override { return 12; }
    int GetColorModeName(int, int*, char*, PrinterSetup* given) override { return record(given->mediaId); }
    int GetColorantList(int, ColorantList*) override { return 1; }
    int FindColorMode(const char*) override { return 2; }
    int GetDefaultColorMode(char*, PrinterSetup* given) override { return record(given->mediaId); }
    int GetMediaList(const PrinterSetup*, MediaList* list, int*) override {
        for (int32_t id : mediaIds) list->push_back(mediaWithId(id));
        return 1;
    }
    int CheckMedia(const PrinterSetup*, MediaEntry* media, intptr_t, int, int*) override { return record(media->id); }
    int SetOutputName(const char*, intptr_t) override { return outputNameResult; }

private:
    int record(int32_t mediaId) {
        receivedMediaId = mediaId;
        return 1;
    }
};

// A block of bytes value that carries the current version, so that mode 3 does not reset it.
DriverOptions validBlock(uint8_t value) {
    DriverOptions block = filledOptions(value);
    block.optionsVersion = kOptionsVersion;
    return block;
}

// A driver over a fresh test engine, with a host job (not yet written) in a temporary base folder.
class DriverFront : public ::testing::Test {
protected:
    DriverFront() : engine(new TestEngine), driver(engine), hostJob(base.path()), request(hostJob.request) {}

    // Opens the job over a job file holding bytes; the job record afterwards.
    const DriverJob* open(const std::vector<unsigned char>& bytes, int expected = 1) {
        writeBytes(hostJob.jobFile(), bytes);
        EXPECT_EQ(driver.openJob(&request, &port), expected);
        return driver.currentJob();
    }

    TempBaseFolder base;
    TestEngine* engine;
    CDriver driver;
    NullPort port;
    TestJob hostJob;
    JobRequest& request;
};

// A dialog that fails after writing into the block; it notes the version it was shown.
uint8_t g_versionShown = 0;
int presentAndFail(DriverOptions* block, PrinterSetup*, void*) {
    g_versionShown = block->optionsVersion;
    block->copies = 9;
    throw std::runtime_error("dialog failed");
}
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

// Queries resolve the ids on a copy; editOptions writes the resolved id back to the host's setup.
TEST_F(DriverFront, SpecialMediaIdsResolveAgainstTheEngineListWhenItHasEnoughEntries) {
    struct Case { std::vector<int32_t> list; int32_t id, seen; };
    const Case cases[] = {
        {{5, 7, 9}, -101, 7}, {{5, 7, 9}, -100, 9}, {{5, 7, 9}, -102, 9}, {{5, 7, 9}, -103, -103},
        {{5, 7, 9}, -99, -99}, {{5, 7, 9}, 4, 4},   {{}, -100, -100},     {{3}, -101, -101}, {{3}, -100, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " of " << c.list.size());
        engine->mediaIds = c.list;
        PrinterSetup setup;
        setup.mediaId = c.id;
        driver.getColorModeName(0, nullptr, nullptr, &setup);
        EXPECT_EQ(engine->receivedMediaId, c.seen);
        EXPECT_EQ(setup.mediaId, c.id);   // the caller's record stays as it was
        MediaEntry media = mediaWithId(c.id);
        driver.checkMedia(&setup, &media, 0, 0, nullptr);
        EXPECT_EQ(engine->receivedMediaId, c.seen);
        EXPECT_EQ(media.id, c.id);
    }
    // Null records become neutral copies.
    driver.getDefaultColorMode(nullptr, nullptr);
    EXPECT_EQ(engine->receivedMediaId, 0);
    driver.checkMedia(nullptr, nullptr, 0, 0, nullptr);
    EXPECT_EQ(engine->receivedMediaId, -1);

    engine->mediaIds = {5, 7, 9};
    PrinterSetup setup;
    setup.mediaId = -101;
    DriverOptions block = filledOptions(0);
    EXPECT_EQ(driver.editOptions(&block, 2, &setup, nullptr), 1);
    EXPECT_EQ(setup.mediaId, 7);
    EXPECT_EQ(engine->printerSetup().mediaId, 7);
}

// A driver whose engine could not be made answers the calls that take host
// records without touching an engine, and compares options blocks itself.
TEST(DriverWithoutEngine, AnswersRecordCallsWithoutAnEngine) {
    CDriver d(nullptr);
    PrinterSetup setup;
    MediaEntry media{};
    EXPECT_EQ(d.findColorMode("CMYK"), -1);
    EXPECT_EQ(d.readOptions("", nullptr, &setup), 0);
    EXPECT_EQ(d.reserved24(&setup, &media, 0, 0), 0);
    EXPECT_EQ(d.reserved26(&setup, &media, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.reserved50(&setup, &media, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(d.setPrinterSetup(&setup), 0);
    EXPECT_EQ(d.editOptions(nullptr, 2, &setup, nullptr), 0);

    DriverOptions a = filledOptions(0x5A);
    DriverOptions b = a;
    EXPECT_EQ(d.optionsDiffer(&a, nullptr), 1);
    EXPECT_EQ(d.optionsDiffer(&a, &b), 0);
    b.reserved[246] ^= 1;   // byte 255
    EXPECT_EQ(d.optionsDiffer(&a, &b), 1);

    MediaList list(2);
    d.reservedList29(&list);
    EXPECT_TRUE(list.empty());
}

TEST_F(DriverFront, JobHeaderFieldsSitAtTheirFileOffsets) {
    // Written byte by byte, independently of the layout struct; full-length
    // texts arrive cut, the colour mode sign-extended.
    std::vector<unsigned char> bytes(kJobHeaderSize, 0);
    std::fill_n(bytes.begin() + 264, 256, 'N');    // job name
    std::fill_n(bytes.begin() + 584, 64, 'M');     // model name
    std::fill_n(bytes.begin() + 3064, 128, 'T');   // job text 4
    const float x = 400.0f;
    std::memcpy(&bytes[712], &x, 4);
    const double height = 12.25;
    std::memcpy(&bytes[816], &height, 8);
    bytes[856] = 0x58;   // 600
    bytes[857] = 0x02;
    bytes[2552 + 4] = 7;   // copies
    bytes[3704] = 'J';
    bytes[3834] = 0xFF;   // colour mode -1
    bytes[3835] = 0xFF;
    const DriverJob* job = open(bytes);
    EXPECT_EQ(std::string(job->jobName), std::string(255, 'N'));
    EXPECT_EQ(std::string(job->modelName), std::string(63, 'M'));
    EXPECT_EQ(std::string(job->jobText4), std::string(127, 'T'));
    EXPECT_EQ(job->xResolution, 400.0);
    EXPECT_EQ(job->pageHeight, 12.25);
    EXPECT_EQ(job->widthDpi, 600);
    EXPECT_EQ(job->options.copies, 7);
    EXPECT_STREQ(job->jobText1, "J");
    EXPECT_EQ(job->colorMode, -1);
}

TEST_F(DriverFront, MissingPortOrAShortHeaderRefusesTheJob) {
    const auto* header = reinterpret_cast<const unsigned char*>(&hostJob.header);
    const std::vector<unsigned char> bytes(header, header + sizeof hostJob.header);
    const DriverJob* whole = open(bytes, 1);
    EXPECT_NE(request.portCode, -1);
    EXPECT_EQ(engine->startedOptions, &whole->options);   // the engine works on the job's own copy
    for (size_t length : {size_t{0}, kJobHeaderSize - 1}) {
        request.portCode = 256;
        const DriverJob* job = open(std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(length)), 0);
        EXPECT_EQ(request.portCode, -1) << length;
        EXPECT_STREQ(job->modelName, "") << length;   // nothing of a short header is copied
    }

    // Without a port the record is kept until the next job replaces it.
    JobRequest second{};
    EXPECT_EQ(driver.openJob(&second, nullptr), 0);
    EXPECT_EQ(second.portCode, -1);
    EXPECT_EQ(driver.currentJob()->request, &second);
}

TEST_F(DriverFront, RefusedOrFailingStepsAreLoggedUnlessTheJobWasAborted) {
    EXPECT_EQ(driver.processJobStep(), 0);   // no job yet
    EXPECT_EQ(driver.abortJob(), 0);
    EXPECT_EQ(driver.openJob(&request, &port), 0);   // no job file: the engine is never started, the record stays
    request.portCode = 256;
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

    engine->throwInStep = false;
    engine->stepResult = 0;
    EXPECT_EQ(driver.abortJob(), 1);
    EXPECT_EQ(request.portCode, -1);
    EXPECT_EQ(driver.currentJob()->aborted, 1);
    EXPECT_EQ(driver.processJobStep(), 0);
    EXPECT_EQ(log.messages().size(), 2u);

    // A refused output name or a failing abort ends the job.
    request.portCode = 256;
    EXPECT_EQ(driver.setOutputName("job", 0), 1);
    EXPECT_EQ(request.portCode, 256);
    engine->outputNameResult = 0;
    EXPECT_EQ(driver.setOutputName("job", 0), 1);
    EXPECT_EQ(request.portCode, -1);
    request.portCode = 256;
    engine->throwInAbort = true;
    EXPECT_EQ(driver.abortJob(), 0);
    EXPECT_EQ(request.portCode, -1);
}

// Without a presenter (a headless host) the dialog counts as cancelled: mode 3
// keeps a valid block and resets one of an older version. Mode 2 resets
// without a dialog, other modes change nothing: the failing presenter
// installed for those cases would show in the result and the block.
TEST_F(DriverFront, EditOptionsResetsOldBlocksAndSurvivesAFailingDialog) {
    const DriverOptions plain = filledOptions(0x10);
    DriverOptions old = plain;
    old.optionsVersion = 19;
    DriverOptions defaults = plain;
    setDefaultOptions(&defaults);
    DriverOptions failed = defaults;
    failed.copies = 9;   // a failing dialog leaves what it wrote into the reset block
    struct Case { OptionsDialogHook::Presenter presenter; int mode; DriverOptions block; int result; DriverOptions expected; };
    const Case cases[] = {
        {nullptr, 3, validBlock(0x10), 1, validBlock(0x10)}, {nullptr, 3, old, 1, defaults},
        {presentAndFail, 2, validBlock(0x10), 1, defaults},  {presentAndFail, 4, plain, 0, plain},
        {presentAndFail, 3, old, 0, failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " version " << int(c.block.optionsVersion));
        OptionsDialogHook::SetPresenter(c.presenter);
        g_versionShown = 0;
        DriverOptions block = c.block;
        EXPECT_EQ(driver.editOptions(&block, c.mode, nullptr, nullptr), c.result);
        EXPECT_EQ(std::memcmp(&block, &c.expected, sizeof block), 0);
        EXPECT_EQ(g_versionShown, c.result == 0 && c.mode == 3 ? 20 : 0);
    }
    OptionsDialogHook::SetPresenter(nullptr);
}
