// What users choose and what they are kept from: make-job's refusal to write
// over images and foreign files, print of an image without a job of one's
// own, and the medium, print mode, copies and options chosen at print time,
// read back from the job ticket, from --json and from query.
#include "HostProgramFixture.h"

#include <pugixml.hpp>
#include <tiffio.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

class PrintChoices : public HostProgramTest {
protected:
    PrintChoices() {
        base_.copySamples();
        // The printer holds roll 1 with medium 7, read from the printer into the base folder.
        base_.write("OutputDrivers/KIP/KipUnattend.dat", "Roll1Media={7}\r\nCustomMedia7=Glossy~Photo\r\n");
        writeTiff(work() / "in.tif", 16, 8, 1, 8, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(16 * 8, 200));
    }

    ProgramRun makeJob(std::vector<std::string> args) const {
        args.insert(args.begin(), {"-m", "KIP 870 Color"});
        return zukip("make-job", args);
    }

    // Prints job into a fresh folder "out"; returns the job ticket of the one job folder made.
    pugi::xml_document printTicket(std::vector<std::string> args, ProgramRun* run = nullptr) const {
        fs::remove_all(work() / "out");
        args.insert(args.begin(), {"-o", "out"});
        const ProgramRun printed = zukip("print", args);
        EXPECT_EQ(printed.status, 0) << printed.err << printed.out;
        if (run) *run = printed;
        pugi::xml_document ticket;
        for (const auto& entry : fs::directory_iterator(work() / "out"))
            EXPECT_TRUE(ticket.load_file((entry.path() / "JobTicket.xml").c_str())) << entry.path();
        return ticket;
    }

    static std::string ticketValue(const pugi::xml_document& ticket, const char* section, const char* name) {
        return ticket.child("KipJobTicket").child(section).child_value(name);
    }
};

}  // namespace

TEST_F(PrintChoices, MakeJobNeverWritesOverItsImagesAndAsksBeforeForeignFiles) {
    std::ofstream(work() / "notes.txt") << "keep me\n";
    std::ofstream(work() / "j.job.thumb.bmp") << "not a picture\n";
    fs::copy_file(work() / "in.tif", work() / "x.zrs");
    const std::string image = readFile(work() / "in.tif");
    struct Case {
        std::vector<std::string> args;
        std::string named;
        bool forceHelps;
    };
    const std::vector<Case> cases = {
        {{"-o", "in.tif", "in.tif"}, "over the input image in.tif", false},
        {{"-o", "x.job", "x.zrs"}, "over the input image x.zrs", false},
        {{"-o", "./in.tif", "Black=in.tif"}, "over the input image", false},
        {{"-o", "notes.txt", "in.tif"}, "notes.txt already exists and is not a job", true},
        {{"-o", "j.job", "in.tif"}, "j.job.thumb.bmp already exists", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const ProgramRun refused = makeJob(c.args);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(c.named), std::string::npos) << refused.err;
        std::vector<std::string> forced = c.args;
        forced.push_back("--force");
        EXPECT_EQ(makeJob(forced).status == 0, c.forceHelps) << makeJob(forced).err;
    }
    EXPECT_EQ(readFile(work() / "in.tif"), image);
    EXPECT_EQ(makeJob({"-o", "again.job", "in.tif"}).status, 0);
    EXPECT_EQ(makeJob({"-o", "again.job", "in.tif"}).status, 0) << "its own job is replaced without asking";
}

// The greyscale image prints on the colour printer's black alone: one separation, no empty colour ones.
TEST_F(PrintChoices, PrintingAnImageMakesItsJobOnTheFlyAndLeavesNoneBehind) {
    fs::create_directories(work() / "tmp");
    setenv("TMPDIR", (work() / "tmp").c_str(), 1);
    const pugi::xml_document ticket = printTicket({"--copies", "2", "in.tif"});
    unsetenv("TMPDIR");
    EXPECT_EQ(ticketValue(ticket, "Print", "Copies"), "2");
    EXPECT_EQ(ticketValue(ticket, "Document", "FileName"), "in.tif");
    EXPECT_TRUE(fs::is_empty(work() / "tmp"));
    for (const auto& entry : fs::directory_iterator(work())) EXPECT_NE(entry.path().extension(), ".job");
    std::vector<std::string> separations;
    for (const auto& entry : fs::recursive_directory_iterator(work() / "out"))
        if (entry.path().extension() == ".tif") separations.push_back(entry.path().filename().string());
    ASSERT_EQ(separations.size(), 1u);
    EXPECT_NE(separations.front().find("_K"), std::string::npos) << separations.front();
}

TEST_F(PrintChoices, MediumPrintModeCopiesAndOptionsReachTheTicketOnlyForThisPrint) {
    ASSERT_EQ(makeJob({"-o", "j.job", "in.tif"}).status, 0);
    const std::string header = readFile(work() / "j.job");

    ProgramRun run;
    pugi::xml_document ticket = printTicket({"--json", "--media", "glossy - photo", "--copies", "3", "-O",
                                             "image-enhancement=Weaker", "j.job"}, &run);
    EXPECT_EQ(ticketValue(ticket, "Media", "Id"), "6");
    EXPECT_EQ(ticketValue(ticket, "Media", "Name"), "Glossy - Photo");
    EXPECT_EQ(ticketValue(ticket, "Print", "Copies"), "3");
    EXPECT_EQ(ticketValue(ticket, "Print", "ImageEnhancement"), "3");
    EXPECT_EQ(run.out.rfind("{\"input\":\"j.job\",\"model\":\"KIP 870 Color\",\"media\":{\"id\":7,\"name\":"
                            "\"Glossy - Photo\"}", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\"state\":\"finished\""), std::string::npos) << run.out;
    EXPECT_EQ(readFile(work() / "j.job"), header) << "the job itself keeps its options";

    ticket = printTicket({"--media", "Photo Paper", "j.job"}, &run);
    EXPECT_EQ(ticketValue(ticket, "Media", "Id"), "3");
    EXPECT_EQ(ticketValue(ticket, "Print", "Copies"), "1");
    EXPECT_NE(run.out.find("medium \"Photo Paper\", print mode \"High Quality\""), std::string::npos) << run.out;

    const ProgramRun refused = zukip("print", {"-o", "out", "--media", "4", "--print-mode", "Draft", "j.job"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("(it offers 1 \"High Quality\""), std::string::npos) << refused.err;
}

TEST_F(PrintChoices, QueryListsRollsMediaAndPrintModesAlsoAsJson) {
    const ProgramRun run = zukip("query", {"-m", "KIP 870 Color", "--media", "0", "media", "print-modes"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* text : {"Media rolls", "Glossy - Photo", "Media of \"KIP 870 Color\"", "Backlit Film",
                             "Print modes on medium 0 \"Plain Bond\"", "High Quality", "Default medium: 0"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    const ProgramRun json = zukip("query", {"-m", "KIP 870 Color", "--json", "print-modes"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"rows\":[{\"ID\":\"0\",\"Name\":\"Standard\",\"Internal name\":\"Standard\","
                            "\"Default\":\"yes\"}"), std::string::npos) << json.out;
    EXPECT_EQ(json.out.back(), '\n');
}
