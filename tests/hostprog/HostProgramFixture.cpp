#include "HostProgramFixture.h"

#include <tiffio.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#ifndef ZUKIP_PROGRAM
#error "ZUKIP_PROGRAM must name the built zukip program"
#endif

namespace fs = std::filesystem;

extern char** environ;

std::vector<std::string> ProgramRun::errLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

ProgramRun runZukip(const std::vector<std::string>& args, const fs::path& cwd) {
    return runProgram(ZUKIP_PROGRAM, args, cwd);
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
    const fs::path outPath = cwd / ".zukip-stdout", errPath = cwd / ".zukip-stderr";
    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    ProgramRun run;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

void writeTiff(const fs::path& path, uint32_t width, uint32_t height, uint16_t samples, uint16_t bits,
               uint16_t photometric, const std::vector<uint8_t>& data) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
    const size_t rowBytes = (size_t(width) * samples * bits + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; y < height; ++y) {
        std::copy_n(data.begin() + y * rowBytes, rowBytes, row.begin());
        ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
    }
    TIFFClose(tif);
}

std::vector<std::string> listTree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) names.push_back(fs::relative(entry, root));
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

const char* const kIndex = R"(<?xml version="1.0"?>
<Index><Printer Name="Other Model" XMLFile="Other.xml"/><Printer Name="Test Color" XMLFile="TestColor.xml"/></Index>
)";

const char* const kDescription = R"(<?xml version="1.0"?>
<Root>
  <BaseResourceNumber><BaseMedia>-1</BaseMedia><BasePrintMode>-1</BasePrintMode><BaseResolution>-1</BaseResolution>
    <BaseColor>-1</BaseColor><BaseColorMode>-1</BaseColorMode></BaseResourceNumber>
  <Definition>
    <MediaList DefaultMedia="3"><Media><ID>3</ID><InternalName>Bond</InternalName><DisplayName>Bond</DisplayName></Media></MediaList>
    <PrintModeList><PrintMode><ID>0</ID><InternalName>Normal</InternalName><DisplayName>Normal</DisplayName></PrintMode></PrintModeList>
    <ResolutionList>
      <Resolution><ID>0</ID><XResValue>600</XResValue><YResValue>600</YResValue><DisplayName>600 dpi</DisplayName></Resolution>
      <Resolution><ID>1</ID><XResValue>300</XResValue><YResValue>150</YResValue><DisplayName>300x150 dpi</DisplayName></Resolution>
    </ResolutionList>
    <ColorList>
      <Color><ID>0</ID><InternalName>Cyan</InternalName><DisplayName>Cyan ink</DisplayName></Color>
      <Color><ID>1</ID><InternalName>Magenta</InternalName><DisplayName>Magenta ink</DisplayName></Color>
      <Color><ID>2</ID><InternalName>Yellow</InternalName><DisplayName>Yellow ink</DisplayName></Color>
      <Color><ID>3</ID><InternalName>Black</InternalName><DisplayName>Black ink</DisplayName></Color>
    </ColorList>
    <ColorModeList>
      <ColorMode Order="0,1,2,3"><ID>0</ID><InternalName>CMYK</InternalName><DisplayName>CMYK</DisplayName>
        <ColorantList>
          <Colorant ID="0" IsSpotColor="0"><ColorDepth>1</ColorDepth></Colorant>
          <Colorant ID="1" IsSpotColor="0"><ColorDepth>1</ColorDepth></Colorant>
          <Colorant ID="2" IsSpotColor="0"><ColorDepth>1</ColorDepth></Colorant>
          <Colorant ID="3" IsSpotColor="0"><ColorDepth>1</ColorDepth></Colorant>
        </ColorantList></ColorMode>
      <ColorMode Order="0,1,2,3"><ID>1</ID><InternalName>CMYK8</InternalName><DisplayName>CMYK (8 bits)</DisplayName>
        <ColorantList>
          <Colorant ID="0" IsSpotColor="0"><ColorDepth>8</ColorDepth></Colorant>
          <Colorant ID="1" IsSpotColor="0"><ColorDepth>8</ColorDepth></Colorant>
          <Colorant ID="2" IsSpotColor="0"><ColorDepth>8</ColorDepth></Colorant>
          <Colorant ID="3" IsSpotColor="0"><ColorDepth>8</ColorDepth></Colorant>
        </ColorantList></ColorMode>
      <ColorMode Order="0"><ID>2</ID><InternalName>Gray</InternalName><DisplayName>Grayscale</DisplayName>
        <ColorantList><Colorant ID="3" IsSpotColor="0"><ColorDepth>1</ColorDepth></Colorant></ColorantList></ColorMode>
    </ColorModeList>
  </Definition>
  <Control_Definition>
    <Media ID="3" DefaultPrintMode="0"><PrintMode ID="0">
      <Resolution ID="0" DefaultColorMode="1"><ColorMode ID="0"/><ColorMode ID="1"/><ColorMode ID="2"/></Resolution>
      <Resolution ID="1" DefaultColorMode="0"><ColorMode ID="0"/></Resolution>
    </PrintMode></Media>
  </Control_Definition>
</Root>
)";

}  // namespace

HostProgramTest::HostProgramTest() {
    base_.write("OutputDrivers/ZuKIPDes.xml", kIndex);
    base_.write("OutputDrivers/TestColor.xml", kDescription);
    work_ = base_.path() / "work";
    fs::create_directories(work_);
}

ProgramRun HostProgramTest::zukip(const std::string& command, std::vector<std::string> args) const {
    args.insert(args.begin(), {command, "--base", basePath()});
    return runZukip(args, work_);
}
