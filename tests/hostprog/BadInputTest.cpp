// Every bad input a user can give make-job ends with one line on stderr that
// names the culprit, a non-zero exit, and no file left behind; make-job never
// writes over its own input and asks before replacing a file it did not make.
// What query and print cannot use, they name on their last line of stderr.
// What a command is for, its --help says.
#include "HostProgramFixture.h"

#include <algorithm>

namespace fs = std::filesystem;

TEST(Help, EveryCommandSaysWhatItDoesWithAnExample) {
    const std::string overview = runProgram(ZUKIP_PROGRAM, {"--help"}, ".").out;
    EXPECT_NE(runProgram(ZUKIP_PROGRAM, {}, ".").status, 0);
    EXPECT_EQ(runProgram(ZUKIP_PROGRAM, {"plot"}, ".").err, "zukip: unknown command \"plot\" (try zukip --help)\n");
    for (const std::string command : {"make-job", "print", "query", "options", "demo", "printer"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(overview.find("\n  " + command + " "), std::string::npos) << overview;
        const ProgramRun run = runProgram(ZUKIP_PROGRAM, {command, "--help"}, ".");
        EXPECT_EQ(run.status, 0);
        // The usage, then a paragraph on what the command does (not a heading), then an example of it.
        EXPECT_EQ(run.out.rfind("Usage: zukip " + command, 0), 0u) << run.out;
        const size_t said = run.out.find("\n\n") + 2;
        EXPECT_GT(run.out.find('\n', said) - said, 30u) << run.out;
        EXPECT_NE(run.out.find("\nExample:\n  zukip " + command + " "), std::string::npos) << run.out;
    }
}

namespace {

struct BadCase {
    const char* what;
    std::vector<std::string> args;
    std::string named;   // text the error line must contain
};

class BadInput : public HostProgramTest {
protected:
    BadInput() {
        writeTiff(work() / "cmyk.tif", {{8, 4, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(8 * 4 * 4, 100)}});
        writeTiff(work() / "bits.tif", {{8, 4, 1, 1, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(4, 0x55)}});
        writeTiff(work() / "small.tif", {{4, 4, 1, 1, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(4, 0x50)}});
        writeTiff(work() / "ycc.tif", {{4, 2, 3, 8, PHOTOMETRIC_YCBCR, std::vector<uint8_t>(4 * 2 * 3, 9)}});
        std::ofstream(work() / "notes.txt") << "not an image\n";
        const std::vector<unsigned char> whole = readBytes(work() / "cmyk.tif");
        writeBytes(work() / "cut.tif", std::vector<unsigned char>(whole.begin(), whole.begin() + whole.size() / 2));
    }
};

}  // namespace

TEST_F(BadInput, ImagesSettingsOutputPlacesAndTilesThatCannotBeUsed) {
    const std::string shortText = "DriverOptionBinary=14", badDigit = "DriverOptionBinary=1x" + std::string(398, '0');
    const std::vector<BadCase> cases = {
        // Images that cannot be used.
        {"missing image", {"-o", "j.job", "absent.tif"}, "absent.tif"},
        {"not a TIFF", {"-o", "j.job", "notes.txt"}, "notes.txt"},
        {"YCbCr image", {"-o", "j.job", "ycc.tif"}, "cannot print (YCbCr"},
        {"truncated TIFF", {"-o", "j.job", "cut.tif"}, "cut.tif"},
        {"folder as image", {"-o", "j.job", "."}, "folder"},
        {"separations of two sizes", {"-o", "j.job", "Cyan=bits.tif,Black=small.tif"}, "small.tif"},
        {"separation of several planes", {"-o", "j.job", "Cyan=cmyk.tif"}, "cmyk.tif"},
        {"separation without colour", {"-o", "j.job", "=bits.tif"}, "\"=bits.tif\" in \"=bits.tif\" is not NAME=FILE"},
        {"colour given twice", {"-o", "j.job", "Cyan=bits.tif,cyan=bits.tif"}, "cyan is given twice"},
        // What the printer does not have.
        {"unknown model", {"-m", "KIP 9999", "-o", "j.job", "cmyk.tif"}, "KIP 9999"},
        {"unknown colour mode", {"-c", "Purple", "-o", "j.job", "cmyk.tif"}, "Purple"},
        {"mode lacks a plane", {"-c", "CMYK", "-o", "j.job", "Orange=bits.tif"}, "Orange"},
        {"1-bit into 8-bit mode", {"-c", "1", "-o", "j.job", "bits.tif"}, "1-bit"},
        {"plane no mode has", {"-o", "j.job", "Orange=bits.tif"}, "--color-mode"},
        {"unknown resolution", {"-r", "1234", "-o", "j.job", "cmyk.tif"}, "1234"},
        {"resolution not a number", {"-r", "fine", "-o", "j.job", "cmyk.tif"}, "fine"},
        {"unknown driver option", {"-O", "colour=red", "-o", "j.job", "cmyk.tif"}, "colour"},
        {"copies out of range", {"-O", "copies=500", "-o", "j.job", "cmyk.tif"}, "500"},
        {"options text cut short", {"--options-text", shortText, "-o", "j.job", "cmyk.tif"},
         "400 hex digits after \"DriverOptionBinary=\", not 2"},
        {"options text of another kind", {"--options-text", "copies=2", "-o", "j.job", "cmyk.tif"},
         "must begin with \"DriverOptionBinary=\""},
        {"options text with a non-digit", {"--options-text", badDigit, "-o", "j.job", "cmyk.tif"},
         "not a hex digit at position 21"},
        // Mistakes in the command line itself.
        {"unknown option", {"--colour", "-o", "j.job", "cmyk.tif"}, "--colour"},
        {"option without value", {"cmyk.tif", "-o"}, "-o needs a value"},
        {"option given twice", {"-o", "j.job", "--output=k.job", "cmyk.tif"}, "--output given twice"},
        {"flag with a value", {"--halftone=1", "-o", "j.job", "cmyk.tif"}, "--halftone takes no value"},
        {"no job file", {"cmyk.tif"}, "-o JOB"},
        {"no image", {"-o", "j.job"}, "image"},
        // Places that cannot take the job.
        {"missing folder", {"-o", "nowhere/j.job", "cmyk.tif"}, "nowhere"},
        {"file as folder", {"-o", "notes.txt/j.job", "cmyk.tif"}, "notes.txt is not a folder"},
        {"job named like its raster", {"-o", "j.zrs", "cmyk.tif"}, "j.zrs"},
        {"job path is a folder", {"-o", ".", "cmyk.tif"}, "folder"},
        // Posters that cannot be cut.
        {"grid without rows", {"-o", "j.job", "--tiles", "4", "cmyk.tif"}, "COLSxROWS"},
        {"more panels than a page holds", {"-o", "j.job", "--tiles", "64x32", "cmyk.tif"}, "64x32"},
        {"page narrower than the grid", {"-o", "j.job", "--tiles", "9x1", "cmyk.tif"}, "9 x 1"},
        {"two pages", {"-o", "j.job", "--tiles", "2x1", "cmyk.tif", "cmyk.tif"}, "one page"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> before = listTree(work());
        const ProgramRun run = zukip("make-job", c.args);
        EXPECT_NE(run.status, 0);
        const std::vector<std::string> lines = run.errLines();
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_EQ(lines[0].rfind("zukip make-job: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(c.named), std::string::npos) << lines[0];
        EXPECT_EQ(listTree(work()), before);
    }
    // A file whose name holds "=" is an image, not a separation.
    fs::copy_file(work() / "cmyk.tif", work() / "a=b.tif");
    EXPECT_EQ(zukip("make-job", {"-o", "j.job", "a=b.tif"}).status, 0);
}

TEST_F(BadInput, MakeJobNeverWritesOverItsImagesAndAsksBeforeForeignFiles) {
    std::ofstream(work() / "j.job.thumb.bmp") << "not a picture\n";
    const std::string image = readFile(work() / "cmyk.tif");
    struct Case {
        std::vector<std::string> args;
        std::string named;
        bool forceHelps;
    };
    const std::vector<Case> cases = {
        {{"-o", "cmyk.tif", "cmyk.tif"}, "over the input image cmyk.tif", false},
        {{"-o", "notes.txt", "cmyk.tif"}, "notes.txt already exists and is not a job", true},
        {{"-o", "j.job", "cmyk.tif"}, "j.job.thumb.bmp already exists", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::vector<std::string> args = c.args;
        const ProgramRun refused = zukip("make-job", args);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(c.named), std::string::npos) << refused.err;
        args.push_back("--force");
        const ProgramRun forced = zukip("make-job", args);
        EXPECT_EQ(forced.status == 0, c.forceHelps) << forced.err;
    }
    EXPECT_EQ(readFile(work() / "cmyk.tif"), image);
    EXPECT_EQ(zukip("make-job", {"-o", "j.job", "cmyk.tif"}).status, 0) << "its own job (forced above) is replaced";
}

TEST_F(BadInput, QueryAndPrintSayWhatTheyCannotUse) {
    ASSERT_EQ(zukip("make-job", {"-c", "1", "-o", "ok.job", "cmyk.tif"}).status, 0);
    // A poster job whose tile list lacks its last byte.
    ASSERT_EQ(zukip("make-job", {"-o", "cut.job", "--tiles", "2x1", "cmyk.tif"}).status, 0);
    const std::vector<unsigned char> whole = readBytes(work() / "cut.job");
    writeBytes(work() / "cut.job", std::vector<unsigned char>(whole.begin(), whole.end() - 1));
    writeBytes(work() / "short.job", std::vector<unsigned char>(3939, 0));
    writeBytes(work() / "zeros.job", std::vector<unsigned char>(3940, 0));
    fs::copy_file(work() / "ok.job", work() / "lonely.job");   // without a raster file of its own
    fs::create_directories(work() / "empty");
    struct Case {
        const char* command;
        std::vector<std::string> args;
        int status;   // 2: the command line itself is wrong
        std::string named;
    };
    const std::vector<Case> cases = {
        {"query", {"planets"}, 2, "planets"},
        {"query", {"--module", "/nonexistent/ZuKIP.so"}, 1, "/nonexistent/ZuKIP.so"},
        {"query", {"--base", (work() / "empty").string()}, 1, "ZuKIPDes.xml"},
        {"print", {"absent.job"}, 1, "absent.job"},
        {"print", {"short.job"}, 1, "3939 bytes, shorter than a job header"},
        {"print", {"zeros.job"}, 1, "not a job"},
        {"print", {"lonely.job"}, 1, "lonely.zrs"},
        {"print", {"cut.job"}, 1, "not a tile list"},
        {"print", {"ok.zrs"}, 1, "is the raster file of a job, not the job; print " + (work() / "ok.job").string()},
        {"print", {"ok.job.thumb.bmp"}, 1, "is a BMP image"},
        {"print", {"."}, 1, "is a folder"},
        {"print", {"ok.job", "-o", "notes.txt/out"}, 1, "notes.txt"},
        {"print", {"ok.job", "extra.job"}, 2, "one image or job file"},
        {"print", {"-m", "KIP 870 Color", "ok.job"}, 2, "--model applies to images only"},
        {"print", {"--media", "Velvet", "ok.job"}, 2, "no medium \"Velvet\""},
        {"print", {"--copies", "0", "ok.job"}, 2, "--copies"},
        {"print", {"--media", "4", "--print-mode", "Draft", "ok.job"}, 2, "(it offers 1 \"High Quality\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args = c.args;
        if (std::ranges::find(args, "--base") == args.end()) args.insert(args.begin(), {"--base", basePath()});
        args.insert(args.begin(), c.command);
        const ProgramRun run = runProgram(ZUKIP_PROGRAM, args, work());
        EXPECT_EQ(run.status, c.status);
        const std::vector<std::string> lines = run.errLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("zukip " + std::string(c.command) + ": ", 0), 0u) << run.err;
        EXPECT_NE(lines.back().find(c.named), std::string::npos) << lines.back();
    }
}
