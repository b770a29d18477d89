// Every bad input a user can give make-job ends with one line on stderr that
// names the culprit, a non-zero exit, and no file left behind.
#include "HostProgramFixture.h"

#include <tiffio.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BadCase {
    const char* what;
    std::vector<std::string> args;
    std::string named;   // text the error line must contain
};

class BadInput : public HostProgramTest {
protected:
    BadInput() {
        writeTiff(work() / "cmyk.tif", 8, 4, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(8 * 4 * 4, 100));
        writeTiff(work() / "bits.tif", 8, 4, 1, 1, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(4, 0x55));
        writeTiff(work() / "small.tif", 4, 4, 1, 1, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(4, 0x50));
        writeTiff(work() / "ycc.tif", 4, 2, 3, 8, PHOTOMETRIC_YCBCR, std::vector<uint8_t>(4 * 2 * 3, 9));
        writeTiff(work() / "two.tif", 2, 2, 2, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(8, 1));
        std::ofstream(work() / "notes.txt") << "not an image\n";
        const std::vector<unsigned char> whole = readBytes(work() / "cmyk.tif");
        writeBytes(work() / "cut.tif", std::vector<unsigned char>(whole.begin(), whole.begin() + whole.size() / 2));
    }

    void expectOneLineAndNothingLeft(const BadCase& c) {
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
};

}  // namespace

TEST_F(BadInput, ImagesThatCannotBeUsed) {
    const std::vector<BadCase> cases = {
        {"missing image", {"-o", "j.job", "absent.tif"}, "absent.tif"},
        {"not a TIFF", {"-o", "j.job", "notes.txt"}, "notes.txt"},
        {"YCbCr image", {"-o", "j.job", "ycc.tif"}, "cannot print (YCbCr"},
        {"two inks of four", {"-o", "j.job", "two.tif"}, "cannot print (separated, 2 sample(s)"},
        {"truncated TIFF", {"-o", "j.job", "cut.tif"}, "cut.tif"},
        {"folder as image", {"-o", "j.job", "."}, "folder"},
        {"second page missing", {"-o", "j.job", "cmyk.tif", "gone.tif"}, "gone.tif"},
        {"separations of two sizes", {"-o", "j.job", "Cyan=bits.tif,Black=small.tif"}, "small.tif"},
        {"separation of several planes", {"-o", "j.job", "Cyan=cmyk.tif"}, "cmyk.tif"},
        {"separation without file", {"-o", "j.job", "Cyan=bits.tif,Black="}, "Black="},
    };
    for (const BadCase& c : cases) {
        BadCase withModel = c;
        withModel.args.insert(withModel.args.begin(), {"-m", "Test Color"});
        expectOneLineAndNothingLeft(withModel);
    }
}

TEST_F(BadInput, SettingsThePrinterDoesNotHave) {
    const std::vector<BadCase> cases = {
        {"unknown model", {"-m", "KIP 9999", "-o", "j.job", "cmyk.tif"}, "KIP 9999"},
        {"unknown colour mode", {"-m", "Test Color", "-c", "Purple", "-o", "j.job", "cmyk.tif"}, "Purple"},
        {"mode lacks a plane", {"-m", "Test Color", "-c", "CMYK", "-o", "j.job", "Orange=bits.tif"}, "Orange"},
        {"1-bit into 8-bit mode", {"-m", "Test Color", "-c", "1", "-o", "j.job", "bits.tif"}, "1-bit"},
        {"plane no mode has", {"-m", "Test Color", "-o", "j.job", "Orange=bits.tif"}, "--color-mode"},
        {"unknown resolution", {"-m", "Test Color", "-r", "1234", "-o", "j.job", "cmyk.tif"}, "1234"},
        {"resolution not a number", {"-m", "Test Color", "-r", "fine", "-o", "j.job", "cmyk.tif"}, "fine"},
        {"unknown driver option", {"-m", "Test Color", "-O", "colour=red", "-o", "j.job", "cmyk.tif"}, "colour"},
        {"copies out of range", {"-m", "Test Color", "-O", "copies=500", "-o", "j.job", "cmyk.tif"}, "500"},
        {"unknown option", {"--colour", "-o", "j.job", "cmyk.tif"}, "--colour"},
        {"no job file", {"-m", "Test Color", "cmyk.tif"}, "-o JOB"},
        {"no image", {"-m", "Test Color", "-o", "j.job"}, "image"},
    };
    for (const BadCase& c : cases) expectOneLineAndNothingLeft(c);
}

TEST_F(BadInput, OutputPlacesThatCannotTakeTheJob) {
    const std::vector<BadCase> cases = {
        {"missing folder", {"-m", "Test Color", "-o", "nowhere/j.job", "cmyk.tif"}, "nowhere"},
        {"file as folder", {"-m", "Test Color", "-o", "notes.txt/j.job", "cmyk.tif"}, "notes.txt"},
        {"job named like its raster", {"-m", "Test Color", "-o", "j.zrs", "cmyk.tif"}, "j.zrs"},
        {"job path is a folder", {"-m", "Test Color", "-o", ".", "cmyk.tif"}, "folder"},
    };
    for (const BadCase& c : cases) expectOneLineAndNothingLeft(c);
    if (geteuid() != 0) {   // root writes anywhere
        fs::create_directory(work() / "locked");
        fs::permissions(work() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        expectOneLineAndNothingLeft({"read-only folder", {"-m", "Test Color", "-o", "locked/j.job", "cmyk.tif"}, "locked"});
        fs::permissions(work() / "locked", fs::perms::owner_all);
    }
}

TEST_F(BadInput, TilesThatCannotBeCut) {
    const std::vector<BadCase> cases = {
        {"grid without rows", {"--tiles", "4"}, "COLSxROWS"},
        {"one panel", {"--tiles", "1x1"}, "1x1"},
        {"more panels than a page holds", {"--tiles", "64x32"}, "64x32"},
        {"page narrower than the grid", {"--tiles", "9x1"}, "9 x 1"},
        {"two pages", {"--tiles", "2x1", "cmyk.tif"}, "one page"},
    };
    for (const BadCase& c : cases) {
        BadCase full = c;
        full.args.insert(full.args.begin(), {"-m", "Test Color", "-o", "j.job"});
        full.args.push_back("cmyk.tif");
        expectOneLineAndNothingLeft(full);
    }
}

TEST_F(BadInput, PrintRefusesAJobFileWhoseTileListIsCut) {
    ASSERT_EQ(zukip("make-job", {"-m", "Test Color", "-o", "j.job", "--tiles", "2x1", "cmyk.tif"}).status, 0);
    const std::vector<unsigned char> whole = readBytes(work() / "j.job");
    writeBytes(work() / "j.job", std::vector<unsigned char>(whole.begin(), whole.end() - 1));
    const ProgramRun run = zukip("print", {"-o", "out", "j.job"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a tile list"), std::string::npos) << run.err;
}
