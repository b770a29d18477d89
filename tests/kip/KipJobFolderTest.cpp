// The job folder a job leaves through the module: names from the document and
// the unique number, refused outputs, or the archive sent to the printer.
// (The folder's files, ticket values, ink and blank images are read back in
// tests/hostprog/EndToEndTest.cpp, the accounting file in JobTicketTest.)
#include "KipHost.h"
#include "PrinterSimulator.h"
#include "ZipReadBack.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {
const std::string kFolder = "KIP_plan_00001";

class KipJobFolder : public KipModuleTest {
protected:
    // A one-page CMYK job of 16 x 4 pixels without a Yellow plane.
    KipTestJob& newJob() {
        jobs.push_back(std::make_unique<KipTestJob>(base.path(), kKipModel, 0));
        KipTestJob& job = *jobs.back();
        job.write({{16, 4, {{"Cyan", 1}, {"Magenta", 1}, {"Black", 1}}}});
        return job;
    }
    // newJob sent to the printer over FTP, the job folder removed after the transfer when asked.
    KipTestJob& ftpJob(bool removeAfterTransfer) {
        KipTestJob& job = newJob();
        job.options().useFtpPort = 1;
        job.options().removeAfterTransfer = removeAfterTransfer;
        job.write(job.pages);
        return job;
    }

    std::vector<std::unique_ptr<KipTestJob>> jobs;
};
}  // namespace

TEST_F(KipJobFolder, HostileJobTextsGiveAWellFormedTicketWithTheTextsAsGiven) {
    installKipModel(base.path(), kipJobModel());
    // Bytes that are not UTF-8 (Windows-1252 "\xF6") are read as Windows-1252 even under a UTF-8 locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    const std::string document = "R&D \"<poster>\" RV_KIP_MEDIA_NAME %05d uniqID J\xF6rg.pdf";
    const std::string sender = "a</Sender><Copies>9</Copies>&\"RV_COPIES \xF6";
    KipTestJob& job = newJob();
    SetJobHeaderText(job.header.jobName, ("C:\\Docs\\" + document).c_str());
    SetJobHeaderText(job.header.jobText3, sender.c_str());
    job.writeHeader();
    const JobRun result = run(job, document);
    unsetenv("LC_ALL");
    ASSERT_EQ(result.failedSteps, 0);

    const std::string folder = "KIP_R&D\"<poster>\"RV_KIP_MEDIA_NAME%05duniqIDJ\xF6rg_00001";
    ASSERT_EQ(fileNames(output), std::vector<std::string>{folder});
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_file((output / folder / "JobTicket.xml").c_str()));
    const pugi::xml_node root = xml.child("KipJobTicket");
    for (const char* element : {"Submission/Sender", "Print/Copies", "Media/Name", "Document/FileName"})
        EXPECT_EQ(xml.select_nodes((std::string("/KipJobTicket/") + element).c_str()).size(), 1u) << element;
    const auto utf8 = [](std::string text) { return text.replace(text.find('\xF6'), 1, "\xC3\xB6"); };
    EXPECT_EQ(std::string(root.child("Submission").child_value("Sender")).rfind(utf8(sender) + "/", 0), 0u);
    EXPECT_EQ(root.child("Document").child_value("FileName"), utf8(document));
    EXPECT_EQ(root.child("Document").child_value("Folder"), utf8(folder));
}

TEST_F(KipJobFolder, EachEngineDrawsItsOwnNumberAndKeepsIt) {
    installKipModel(base.path(), kipJobModel());
    const auto first = newDriver();
    ASSERT_TRUE(run(newJob(), "plan.pdf", {}, first.get()).ended);
    ASSERT_TRUE(run(newJob()).ended);
    // A second job on the first engine keeps its number, without reading the counter; the same
    // document again finds its folder taken and draws the next number, which the counter follows.
    ASSERT_TRUE(run(newJob(), "site.pdf", {}, first.get()).ended);
    ASSERT_TRUE(run(newJob(), "plan.pdf", {}, first.get()).ended);

    EXPECT_EQ(fileNames(output), (std::vector<std::string>{"KIP_plan_00001", "KIP_plan_00002", "KIP_plan_00003",
                                                           "KIP_site_00001"}));
    EXPECT_EQ(fileNames(output / "KIP_plan_00003").size(), 7u);
    EXPECT_EQ(readBytes(base.temp() / "KIPUniqIDCounter"), (std::vector<unsigned char>{3, 0, 0, 0}));
}

TEST_F(KipJobFolder, HostileDocumentNamesStayInsideTheOutputFolder) {
    installKipModel(base.path(), kipJobModel());
    // A name of dots alone, separators, a name too long for one path component.
    const std::string longName(5000, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"..", "KIP___00001"},
        {"/tmp/../etc/x.pdf", "KIP__tmp_.._etc_x_00002"},
        {longName + ".pdf", "KIP_" + longName.substr(0, 200) + "_00003"},
    };
    for (const auto& [document, folder] : cases) {
        KipTestJob& job = newJob();
        SetJobHeaderText(job.header.jobName, ("C:\\" + document).c_str());
        expectWhole(run(job, document));
        EXPECT_EQ(fileNames(output / folder).size(), 7u) << folder.substr(0, 40);
    }
    EXPECT_EQ(fileNames(output).size(), 3u);
}

TEST_F(KipJobFolder, WithoutAnOutputPathTheJobGoesIntoTheBaseFolder) {
    // A job folder is not a page's: its page number is -1.
    installKipModel(base.path(), kipJobModel({{"FolderName", "filename_pageID_uniqID"}}));
    // An empty output path puts the job folder under the base folder's "temp".
    expectWhole(runJob(*newDriver(), newJob(), ""));
    EXPECT_EQ(fileNames(base.path() / "temp" / "plan_-1_00001").size(), 7u);

    // Without any output name the files go straight into the base folder.
    expectWhole(runJob(*newDriver(), newJob(), std::nullopt));
    for (const char* file : {"plan_1_Cyan.tif", "JobTicket.xml", "Finish.txt"})
        EXPECT_TRUE(fs::is_regular_file(base.path() / file)) << file;
}

TEST_F(KipJobFolder, RefusedOutputsEndTheJob) {
    installKipModel(base.path(), {{"FolderName", "filename"}, {"TileSeparate", "No"}});
    // Another port than the file port: message 9002, no folder.
    KipTestJob& other = newJob();
    other.request.portCode = 512;
    const JobRun refused = run(other);
    EXPECT_TRUE(refused.ended);
    EXPECT_EQ(refused.steps, 0);
    EXPECT_FALSE(fs::exists(output / "plan"));
    EXPECT_NE(log().find("The driver doesn't support the current port, please select another port."), std::string::npos);

    // A job folder that exists already is not written into.
    fs::create_directories(output / "plan");
    const JobRun existing = run(newJob());
    EXPECT_TRUE(existing.ended);
    EXPECT_EQ(existing.steps, 0);
    EXPECT_TRUE(fileNames(output / "plan").empty());
}

TEST_F(KipJobFolder, FtpJobArrivesAsOneArchiveOfTheJobFolderOrKeepsTheFolderWithoutPackingTool) {
    installKipModel(base.path(), kipJobModel());
    installPackingTool(base.path());
    PrinterSimulator printer(base.path() / "printer");
    printer.writeSettings(base.path());
    const auto driver = newDriver();
    expectWhole(run(ftpJob(false), "plan.pdf", {}, driver.get()));

    // The archive holds the folder's files byte for byte, ticket included, and no finish file.
    const fs::path folder = output / kFolder;
    EXPECT_EQ(fileNames(printer.request()), std::vector<std::string>{kFolder + ".zip"});
    const auto files = folderFiles(folder);
    EXPECT_EQ(readZipEntries(printer.request() / (kFolder + ".zip")), files);
    EXPECT_TRUE(files.count("JobTicket.xml") && !files.count("Finish.txt"));
    EXPECT_EQ(readBytes(output / (kFolder + ".zip")), readBytes(printer.request() / (kFolder + ".zip")));

    // Removal after the transfer leaves neither the archive nor the folder.
    const fs::path other = base.path() / "other";
    EXPECT_EQ(run(ftpJob(true), "plan.pdf", other, driver.get()).failedSteps, 0);
    const std::vector<std::string> commands = printer.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "STOR \\request\\" + kFolder + ".zip"), 2);
    EXPECT_TRUE(fs::is_empty(other));

    // Without the packing tool the job ends, undelivered, and keeps its folder though removal was asked for.
    fs::remove_all(base.path() / "Program(x64)");
    const fs::path kept = base.path() / "kept";
    const JobRun undelivered = run(ftpJob(true), "plan.pdf", kept, driver.get());
    EXPECT_TRUE(undelivered.ended);
    EXPECT_EQ(undelivered.failedSteps, 0) << "the job has ended, though undelivered";
    EXPECT_NE(log().find("CreateProcess err=2"), std::string::npos);
    EXPECT_TRUE(fs::exists(kept / kFolder / "JobTicket.xml"));
    EXPECT_EQ(fileNames(kept), std::vector<std::string>{kFolder});
}

TEST_F(KipJobFolder, ImageThatCannotBeCreatedFailsTheStepWithWriteDataError) {
    installKipModel(base.path(), kipJobModel({{"CreateFolder", "No"}}));
    // A folder where the Cyan separation should go: the file cannot be created.
    fs::create_directories(output / "plan_1_Cyan.tif");
    KipTestJob& job = newJob();
    const JobRun result = run(job);
    EXPECT_EQ(result.failedSteps, 1);
    EXPECT_STREQ(job.request.statusText, "Write Data Error: plan_1_Cyan.tif");
}
