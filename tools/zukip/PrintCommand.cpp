#include "PrintCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DriverModule.h"
#include "DriverOptionArgs.h"
#include "FileKind.h"
#include "JobFileReader.h"
#include "JobFileWriter.h"
#include "JobRunner.h"
#include "JsonWriter.h"
#include "MakeJobCommand.h"
#include "MediaChoice.h"
#include "OutputSummary.h"
#include "QueryTables.h"
#include "TempFolder.h"
#include "ToolError.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onInterrupt(int) { g_stop = 1; }

// Routes Ctrl-C to the job loop (which aborts the job) while it lives.
class InterruptGuard {
public:
    InterruptGuard() {
        g_stop = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
};

// Options that only make sense when print makes the job from an image itself.
const char* const kImageOptions[] = {"model", "color-mode", "resolution", "halftone", "sender", "cmyk-profile"};

void printHelp() {
    std::printf(
        "Usage: zukip print [options] FILE\n"
        "\n"
        "Prints FILE through the ZuKIP driver into a job folder ready for the KIP printer. FILE is an\n"
        "image (TIFF, PNG or JPEG; the job is made on the fly, as zukip make-job would) or a job made\n"
        "before with zukip make-job. Shows progress, stops cleanly on Ctrl-C, and ends with the job\n"
        "folder, its files and the ink used per colour. Exit status 0 only when the job was printed.\n"
        "\n"
        "Options:\n"
        "  -o, --output DIR        where the job folder goes (default: zukip-output, made if missing)\n"
        "      --media MEDIUM      medium: number or name of a roll or medium (see zukip query media;\n"
        "                          default: the first roll, else the printer's default medium)\n"
        "      --print-mode MODE   print mode: number or name (see zukip query print-modes; default:\n"
        "                          the medium's default)\n"
        "      --copies N          number of copies (1 to 127)\n"
        "  -O, --option KEY=VALUE  job option, repeatable; see zukip make-job --help for the keys\n"
        "  -d, --document NAME     name of the output (default: the image's or job's document name)\n"
        "  -q, --quiet             print nothing but errors\n"
        "      --json              end with a summary in JSON instead of the tables (no progress)\n"
        "      --base DIR          printer set-up folder (default: $ZUKIP_BASE_DIR, else\n"
        "                          %s)\n"
        "      --module FILE       driver module (default: $ZUKIP_MODULE, else the one installed with\n"
        "                          zukip)\n"
        "\n"
        "Options for an image only (a job already holds them; see zukip make-job --help):\n"
        "  -m, --model NAME, -c, --color-mode MODE, -r, --resolution DPI, --halftone, --sender NAME,\n"
        "  --cmyk-profile FILE\n"
        "\n"
        "Example:\n"
        "  zukip print photo.tif\n"
        "  zukip print -o /tmp/kip-out --media \"Photo Paper\" --copies 2 poster.job\n",
        BaseFolder::samples().c_str());
}

void prepareOutputFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw ToolError("cannot make output folder " + folder + ": " + ec.message());
    if (!fs::is_directory(folder, ec)) throw ToolError("output folder " + folder + " is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw ToolError("output folder " + folder + " is not writable: " + std::strerror(errno));
}

// The part after the last folder separator of either kind.
std::string fileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The job file beside a raster file, when there is one.
std::string jobOfRaster(const std::string& raster) {
    std::error_code ec;
    const fs::path folder = fs::absolute(raster, ec).parent_path();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string candidate = entry.path().string();
        if (FileKind::isJob(FileKind::of(candidate)) &&
            fs::equivalent(JobFileReader::findRaster(candidate), raster, ec))
            return candidate;
    }
    return "";
}

[[noreturn]] void refuse(const std::string& path, FileKindId kind) {
    if (kind == FileKindId::Missing) throw ToolError("job file not found: " + path);
    if (kind == FileKindId::RasterFile) {
        std::string job;
        try {
            job = jobOfRaster(path);
        } catch (const ToolError&) {
        }
        throw ToolError(path + " is the raster file of a job, not the job; print " +
                        (job.empty() ? "the job file made with it" : job) + " instead");
    }
    std::error_code ec;
    const uintmax_t size = kind == FileKindId::Other ? fs::file_size(path, ec) : 0;
    const std::string why = kind != FileKindId::Other ? FileKind::describe(kind)
                            : !ec && size < kJobHeaderSize
                                ? "not a job (" + std::to_string(size) + " bytes, shorter than a job header of " +
                                      std::to_string(kJobHeaderSize) + ")"
                                : "not a job or an image zukip knows";
    throw ToolError(path + " is " + why + "; give a job made by zukip make-job, or a TIFF, PNG or JPEG image");
}

// The make-job arguments that turn image into job with print's choices.
std::vector<std::string> makeJobArgs(const CommandLine& cl, const std::string& job, const std::string& image) {
    std::vector<std::string> args = {"-o", job, "--quiet"};
    for (const char* name : kImageOptions)
        if (cl.has(name)) {
            args.push_back(std::string("--") + name);
            if (std::string(name) != "halftone") args.push_back(cl.value(name));
        }
    for (const char* name : {"document", "base"})
        if (cl.has(name)) args.insert(args.end(), {std::string("--") + name, cl.value(name)});
    for (const std::string& kv : cl.values("option")) args.insert(args.end(), {"-O", kv});
    if (cl.has("copies")) args.insert(args.end(), {"-O", "copies=" + cl.value("copies")});
    args.push_back(image);
    return args;
}

// A copy of job in folder with the options changed, its raster file linked beside it; returns the copy.
std::string restage(const std::string& job, const JobHeaderLayout& original, const CommandLine& cl,
                    const std::string& folder) {
    JobHeaderLayout header = original;
    DriverOptions options;
    std::memcpy(&options, header.options, sizeof options);
    for (const std::string& kv : cl.values("option")) DriverOptionArgs::apply(kv, options);
    if (cl.has("copies")) DriverOptionArgs::apply("copies=" + cl.value("copies"), options);
    std::memcpy(header.options, &options, sizeof header.options);
    const std::string copy = (fs::path(folder) / fs::path(job).filename()).string();
    std::FILE* f = std::fopen(copy.c_str(), "wb");
    const bool written = f && std::fwrite(&header, sizeof header, 1, f) == 1;
    if (!f || std::fclose(f) != 0 || !written) throw ToolError("cannot write a copy of job " + job + " in " + folder);
    std::error_code ec;
    fs::create_symlink(JobFileReader::findRaster(job), JobFileWriter::rasterPath(copy), ec);
    if (ec) throw ToolError("cannot link the raster file of " + job + " into " + folder + ": " + ec.message());
    return copy;
}

MediaSelection chooseMedia(ABasePrinterDriver& driver, const std::string& base, const std::string& model,
                           const CommandLine& cl) {
    std::optional<PrinterCatalog> catalog;
    try {
        catalog.emplace(PrinterCatalog::load(base, model));
    } catch (const ToolError&) {
        // Without a description only the driver can judge the job; it reports the model itself.
        if (cl.has("media") || cl.has("print-mode")) throw;
        return {};
    }
    PrinterSetup setup;
    std::strncpy(setup.modelName, model.c_str(), sizeof setup.modelName - 1);
    MediaList rolls;
    int selected = 0;
    driver.getMediaList(&setup, &rolls, &selected);
    return MediaChoice::choose(rolls, *catalog, cl.value("media"), cl.value("print-mode"));
}

const char* stateName(JobOutcome::State state) {
    return state == JobOutcome::Finished ? "finished" : state == JobOutcome::Aborted ? "aborted" : "failed";
}

std::string jsonSummary(const std::string& input, const std::string& model, const MediaSelection& media,
                        const JobOutcome& outcome, const OutputSummary& summary) {
    JsonWriter json;
    json.beginObject().key("input").value(input).key("model").value(model);
    json.key("media").beginObject().key("id").value(media.mediaId).key("name").value(media.mediaName).endObject();
    json.key("printMode").beginObject().key("id").value(media.printModeId).key("name").value(media.printModeName)
        .endObject();
    json.key("state").value(stateName(outcome.state)).key("steps").value(static_cast<long long>(outcome.steps));
    if (outcome.state != JobOutcome::Finished) json.key("reason").value(outcome.reason);
    json.key("jobFolder").value(summary.jobFolder()).key("files").beginArray();
    for (const OutputFile& f : summary.files())
        json.beginObject().key("path").value(f.path).key("size").value(static_cast<long long>(f.size)).endObject();
    json.endArray().key("coverage").beginArray();
    for (const InkCoverage& c : summary.coverage())
        json.beginObject().key("colour").value(c.colour).key("percent").value(c.percent).key("images").value(c.images)
            .endObject();
    return json.endArray().endObject().text();
}

}  // namespace

int PrintCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"output", 'o', true},     {"document", 'd', true},  {"base", 0, true},
                                {"module", 0, true},       {"media", 0, true},       {"print-mode", 0, true},
                                {"copies", 0, true},       {"option", 'O', true, true}, {"quiet", 'q', false},
                                {"json", 0, false},        {"model", 'm', true},     {"color-mode", 'c', true},
                                {"resolution", 'r', true}, {"halftone", 0, false},   {"sender", 0, true},
                                {"cmyk-profile", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    if (cl.positionals().size() != 1) throw UsageError("print takes one image or job file (see --help)");
    if (cl.has("copies")) parseNumber(cl.value("copies"), "--copies", 1, 127);
    const std::string given = cl.positionals().front();
    const FileKindId kind = FileKind::of(given);
    const bool quiet = cl.has("quiet") || cl.has("json");

    std::unique_ptr<TempFolder> staging;
    std::string jobPath;
    if (FileKind::isImage(kind)) {
        staging = std::make_unique<TempFolder>("zukip-print-");
        jobPath = (fs::path(staging->path()) / (fs::path(given).stem().string() + ".job")).string();
        const int made = MakeJobCommand::run(makeJobArgs(cl, jobPath, given));
        if (made != 0) return made;
    } else if (FileKind::isJob(kind)) {
        for (const char* name : kImageOptions)
            if (cl.has(name))
                throw UsageError(std::string("--") + name + " applies to images only; the job " + given +
                                 " already holds its printer, colour mode and resolution");
        jobPath = fs::absolute(given).string();
    } else {
        refuse(given, kind);
    }
    JobHeaderLayout header = JobFileReader::readHeader(jobPath);
    const TileRequest tiles = TileRequest::read(jobPath);
    JobFileReader::findRaster(jobPath);
    const std::string thumbnail = JobFileWriter::thumbnailPath(jobPath);
    if (!staging && (cl.has("option") || cl.has("copies"))) {
        staging = std::make_unique<TempFolder>("zukip-print-");
        jobPath = restage(jobPath, header, cl, staging->path());
        header = JobFileReader::readHeader(jobPath);
    }
    const std::string outputFolder = fs::absolute(cl.value("output", "zukip-output")).string();
    prepareOutputFolder(outputFolder);
    const std::string base = BaseFolder::resolve(cl.value("base"));
    BaseFolder::activate(base);
    setenv("ZUKIP_LOG_STDERR", "1", 0);

    const DriverModule module(DriverModule::locate(cl.value("module")));
    DriverModule::Driver driver = module.createDriver();
    const std::string model = JobFileReader::text(header.modelName);
    const MediaSelection media = chooseMedia(*driver, base, model, cl);
    if (!quiet) {
        std::printf("Printing %s (printer \"%s\"", given.c_str(), model.c_str());
        if (!media.mediaName.empty()) std::printf(", medium \"%s\"", media.mediaName.c_str());
        if (!media.printModeName.empty()) std::printf(", print mode \"%s\"", media.printModeName.c_str());
        std::printf(") into %s\n", outputFolder.c_str());
        std::fflush(stdout);
    }

    JobPaths paths{jobPath, thumbnail, outputFolder,
                   cl.value("document", fileNamePart(JobFileReader::text(header.jobName))), media.mediaId,
                   media.printModeId};
    const std::set<std::string> before = OutputSummary::snapshot(outputFolder);
    std::FILE* progressOut = quiet ? std::fopen("/dev/null", "w") : stdout;
    if (!progressOut) progressOut = stdout;
    ProgressDisplay progress(progressOut, !quiet && isatty(STDOUT_FILENO) != 0);
    JobOutcome outcome;
    std::vector<std::string> colourNames;
    {
        const InterruptGuard guard;
        JobRunner runner(*driver, progress, g_stop);
        outcome = runner.run(paths, tiles);
        PrinterSetup setup;
        std::strncpy(setup.modelName, model.c_str(), sizeof setup.modelName - 1);
        for (const ColorantEntry& c : QueryTables(*driver, setup, "", 0).colorants(header.colorMode))
            colourNames.push_back(JobFileReader::text(c.name));
        // Destroying the driver finishes any image it still holds, while the runner's request still lives.
        driver.reset();
    }
    if (progressOut != stdout) std::fclose(progressOut);

    DriverOptions options;
    std::memcpy(&options, header.options, sizeof options);
    const OutputSummary summary = OutputSummary::collect(outputFolder, before, colourNames, options.invertOutput != 0);
    if (cl.has("json")) std::printf("%s", jsonSummary(given, model, media, outcome, summary).c_str());
    else if (!quiet) std::printf("\n%s", summary.render().c_str());
    if (outcome.state == JobOutcome::Finished) {
        if (!quiet) std::printf("\nJob finished.\n");
        return 0;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "zukip print: job %s: %s\n", stateName(outcome.state), outcome.reason.c_str());
    return outcome.state == JobOutcome::Aborted ? 130 : 1;
}
