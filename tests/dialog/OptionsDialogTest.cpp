// The "Driver Options" page and its modal form, driven as a user would, over
// a base folder with the sample printer descriptions.
#include "ABasePrinterDriver.h"
#include "CDriver.h"
#include "CDriverOptionDialog.h"
#include "CIPAddressCtrl.h"
#include "DialogLayer.h"
#include "KIPPrinterUtilities.h"
#include "Platform/PlatformMessageBox.h"
#include "TempBaseFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;

namespace {
using D = CDriverOptionDialog;

// A block with its defaults and a recognisable reserved part, a setup for "KIP 870 Color" in its
// colour mode 5, and the sample descriptions in a fresh base folder.
class OptionsDialog : public ::testing::Test {
protected:
    OptionsDialog() {
        base.copySamples();
        for (const char* name : {"KIPFTPSettings.xml", "KIP_kawpdft.xml"}) fs::remove(base.temp() / name);
        std::memset(&block, 0xA5, sizeof block);
        setDefaultOptions(&block);
        useModel("KIP 870 Color", 5);
    }
    ~OptionsDialog() override { DialogLayer::Uninstall(); }

    void useModel(const char* model, uint32_t colorMode) {
        std::memset(setup.modelName, 0, sizeof setup.modelName);
        std::strncpy(setup.modelName, model, sizeof setup.modelName - 1);
        setup.colorModeId = colorMode;
    }
    std::unique_ptr<D> open() {
        auto page = std::make_unique<D>(nullptr, &block, &setup);
        page->show();
        page->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(page.get()));
        return page;
    }
    template <typename T>
    static T* item(const D& page, D::Control id) {
        return static_cast<T*>(page.Item(id));
    }
    // Runs editOptions on the block with the Qt dialog; user() acts in the open dialog.
    int edit(int mode, const std::function<void(QDialog&)>& user) {
        DialogLayer::Install();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return ADD_FAILURE() << "no modal dialog";
            user(*dialog);
        });
        return driver.editOptions(&block, mode, &setup, nullptr);
    }
    fs::path ftpSettings() const { return base.temp() / "KIPFTPSettings.xml"; }

    TempBaseFolder base;
    PrinterSetup setup;
    DriverOptions block;
    MessageBoxCapture boxes;
    CDriver driver;
};

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2)); }

QPushButton* button(QDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }
}  // namespace

TEST_F(OptionsDialog, StoresTiffAndA32BitFileOnlyForColourModesFromThree) {
    struct Case {
        uint32_t colorMode;
        bool enabled;
        uint8_t stored;
    };
    for (const Case& c : {Case{5, true, 1}, Case{3, true, 1}, Case{2, false, 0}, Case{0, false, 0}}) {
        setup.colorModeId = c.colorMode;
        block.fileType = 1;
        block.create32BitFile = 1;
        const auto page = open();
        const auto* fileType = item<QComboBox>(*page, D::kFileType);
        EXPECT_EQ(fileType->currentText(), "TIFF");
        EXPECT_FALSE(fileType->isEnabled());
        EXPECT_EQ(item<QCheckBox>(*page, D::kCreate32Bit)->isEnabled(), c.enabled) << c.colorMode;
        page->SaveControls();
        EXPECT_EQ(block.fileType, 0);
        EXPECT_EQ(block.create32BitFile, c.stored) << c.colorMode;
    }
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(OptionsDialog, ShowsOnlyWhatTheModelOffersAndKeepsTheHiddenEnhancement) {
    const fs::path file = base.outputDrivers() / "KIP700m.xml";
    std::string text = readFile(file);
    text.replace(text.find("KAWPDFT=\"YES\""), 13, "KAWPDFT=\"NO\"");
    base.write("OutputDrivers/KIP700m.xml", text);
    struct Case {
        const char* model;
        bool enhancement;
        bool tool;
    };
    block.imageEnhancement = 3;
    for (const Case& c : {Case{"KIP 870 Color", true, true}, Case{"KIP 700m", false, false}}) {
        useModel(c.model, 1);
        const auto page = open();
        for (D::Control id : {D::kImageEnhancement, D::kImageEnhancementLabel})
            EXPECT_EQ(page->Item(id)->isVisible(), c.enhancement) << c.model;
        for (D::Control id : {D::kWakeUp, D::kChoosePath, D::kToolPath})
            EXPECT_EQ(page->Item(id)->isVisible(), c.tool) << c.model;
        page->SaveControls();
        EXPECT_EQ(block.imageEnhancement, 3) << c.model;
    }
}

TEST_F(OptionsDialog, UseFtpPortEnablesTheConnectionAndWritesTheSettingsOnlyWhenOn) {
    base.write("Temp/KIPFTPSettings.xml", "<kept/>");
    const auto page = open();
    const D::Control switched[] = {D::kAddressLabel, D::kPort, D::kUserLabel, D::kUser, D::kPasswordLabel,
                                   D::kPassword, D::kReadMedia, D::kRemoveAfterTransfer};
    for (D::Control id : switched) EXPECT_FALSE(page->Item(id)->isEnabled()) << id;
    EXPECT_TRUE(page->Item(D::kAddress)->isEnabled());
    EXPECT_TRUE(page->Item(D::kPortLabel)->isEnabled());
    page->SaveControls();
    EXPECT_EQ(readFile(ftpSettings()), "<kept/>");

    click(page->Item(D::kUseFtp));
    for (D::Control id : switched) EXPECT_TRUE(page->Item(id)->isEnabled()) << id;
    auto* address = page->Item(D::kAddress);
    for (QLineEdit* field : address->findChildren<QLineEdit*>()) field->clear();
    address->findChild<QLineEdit*>("field0")->setFocus();
    for (char c : std::string("10.0.0.7")) QTest::keyClick(QApplication::focusWidget(), c);
    item<QLineEdit>(*page, D::kPort)->setText("2121");
    item<QLineEdit>(*page, D::kUser)->setText("kip");
    item<QLineEdit>(*page, D::kPassword)->setText("p\"w<");
    page->SaveControls();
    EXPECT_EQ(block.useFtpPort, 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(ftpSettings().c_str()));
    const pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), "RootElement");
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const pugi::xml_attribute a : root.attributes()) attributes.emplace_back(a.name(), a.value());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"IP1", "10"}, {"IP2", "0"}, {"IP3", "0"}, {"IP4", "7"}, {"Port", "2121"}, {"User", "kip"}, {"Password", "p\"w<"}};
    EXPECT_EQ(attributes, expected);

    click(page->Item(D::kUseFtp));
    for (D::Control id : switched) EXPECT_FALSE(page->Item(id)->isEnabled()) << id;
}

TEST_F(OptionsDialog, ShowsTheStoredFtpSettingsOrTheirDefaults) {
    struct Case {
        const char* file;   // null: no settings file
        const char* address;
        const char* port;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {nullptr, "127.0.0.1", "21", "anonymous", ""},
        {"<RootElement IP1=\"\" IP2=\"9\" IP3=\"9\" IP4=\"9\" Port=\"2121\" User=\"u\" Password=\"pw\"/>", "127.0.0.1",
         "2121", "u", "pw"},
        {"<Other IP1=\"10\" IP2=\"0\" IP3=\"0\" IP4=\"263\" Port=\"\" User=\"\"/>", "10.0.0.7", "21", "anonymous", ""},
        {"<RootElement IP1=", "...", "", "", ""},   // unreadable: the controls keep what they had
    };
    for (const Case& c : cases) {
        fs::remove(ftpSettings());
        if (c.file) base.write("Temp/KIPFTPSettings.xml", c.file);
        const auto page = open();
        QStringList numbers;
        for (QLineEdit* field : page->Item(D::kAddress)->findChildren<QLineEdit*>()) numbers << field->text();
        SCOPED_TRACE(c.file ? c.file : "no file");
        EXPECT_EQ(numbers.join('.').toStdString(), c.address);
        EXPECT_EQ(item<QLineEdit>(*page, D::kPort)->text().toStdString(), c.port);
        EXPECT_EQ(item<QLineEdit>(*page, D::kUser)->text().toStdString(), c.user);
        EXPECT_EQ(item<QLineEdit>(*page, D::kPassword)->text().toStdString(), c.password);
    }
}

TEST_F(OptionsDialog, ChoosingTheToolSavesItsPathAndEnablesWakeUp) {
    const fs::path tool = base.write("kip tools/kawpdft", "tool");
    const fs::path file = base.temp() / "KIP_kawpdft.xml";
    const auto page = open();
    // The user cancels the file dialog (no path stored: wake-up stays off), then picks the tool.
    for (const bool choose : {false, true}) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return ADD_FAILURE() << "no file dialog";
            if (!choose) return dialog->reject();
            dialog->selectFile(QString::fromStdString(tool.string()));
            static_cast<QDialog*>(dialog)->accept();   // QFileDialog takes the selection in its accept()
        });
        QTest::mouseClick(item<QPushButton>(*page, D::kChoosePath), Qt::LeftButton);
        EXPECT_EQ(fs::exists(file), choose);
        EXPECT_EQ(page->Item(D::kWakeUp)->isEnabled(), choose);
        EXPECT_EQ(item<QLabel>(*page, D::kToolPath)->text().toStdString(), choose ? tool.string() : "");
    }
    // The file's layout is the utilities' to check; here the path read back.
    AString saved;
    ASSERT_EQ(KIPPrinterUtilities::LoadToolPath(saved), 1);
    EXPECT_EQ(saved.str(), tool.string());
}

TEST_F(OptionsDialog, WakeUpCallsTheToolWithTheAddressShown) {
    // A tool that logs its arguments and answers the address request with a MAC address.
    const fs::path tool = base.write("kip/kawpdft", "#!/bin/sh\necho \"$*\" >> \"$(dirname \"$0\")/calls.log\"\n"
                                                    "[ \"$1\" = -M ] && echo 00:11:22:33:44:55 > \"$5\"\nexit 0\n");
    fs::permissions(tool, fs::perms::owner_all);
    base.write("Temp/KIP_kawpdft.xml", "<RootElement><kawpdft path=\"" + tool.string() + "\"/></RootElement>");
    const auto page = open();
    // The stored tool path is shown and enables wake-up.
    EXPECT_EQ(item<QLabel>(*page, D::kToolPath)->text().toStdString(), tool.string());
    EXPECT_TRUE(page->Item(D::kWakeUp)->isEnabled());
    item<CIPAddressCtrl>(*page, D::kAddress)->SetAddress(10, 0, 0, 7);
    QTest::mouseClick(item<QPushButton>(*page, D::kWakeUp), Qt::LeftButton);
    const std::string calls = readFile(tool.parent_path() / "calls.log");
    EXPECT_NE(calls.find("-M -i 10.0.0.7 \x96u " + (base.temp() / "MACaddress.log").string() + "\n"), std::string::npos)
        << calls;
    EXPECT_NE(calls.find("-W 00:11:22:33:44:55"), std::string::npos) << calls;
}

TEST_F(OptionsDialog, TabOrderFollowsTheTemplate) {
    const auto page = open();
    std::vector<std::string> order;
    for (QWidget* w = page->Item(D::kCreate32Bit)->nextInFocusChain(); w != page->Item(D::kBypassTray);
         w = w->nextInFocusChain())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("field") && !w->objectName().startsWith("qt_"))
            order.push_back(w->objectName().toStdString());
    const std::vector<std::string> expected = {"invert", "ok", "cancel", "restoreDefaults", "copiesLabel", "copies",
        "copiesSpin", "up", "down", "ftpGroup", "useFtp", "address", "addressLabel", "portLabel", "port", "userLabel",
        "passwordLabel", "user", "password", "readMedia", "removeAfterTransfer", "imageEnhancement",
        "imageEnhancementLabel", "choosePath", "toolPath", "wakeUp"};
    EXPECT_EQ(order, expected);
}

TEST_F(OptionsDialog, RestoreDefaultsThenCancelLeavesTheBlockAsItWas) {
    block.copies = 5;
    block.invertOutput = 1;
    const DriverOptions before = block;
    EXPECT_EQ(edit(3, [](QDialog& dialog) {
                  click(button(dialog, "restoreDefaults"));
                  click(button(dialog, "cancel"));
              }),
              1);
    EXPECT_EQ(std::memcmp(&block, &before, sizeof block), 0);
}

TEST_F(OptionsDialog, ReturnAcceptsAndEscapeCancels) {
    const auto typeCopiesThen = [](Qt::Key key) {
        return [key](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Driver Options");
            auto* copies = dialog.findChild<QLineEdit*>("copies");
            copies->setFocus();
            copies->selectAll();
            QTest::keyClicks(copies, "7");
            click(dialog.findChild<QCheckBox*>("bypassTray"));
            QTest::keyClick(copies, key);
        };
    };
    EXPECT_EQ(edit(1, typeCopiesThen(Qt::Key_Escape)), 1);
    EXPECT_EQ(block.copies, 1);
    EXPECT_EQ(block.bypassTray, 0);
    EXPECT_EQ(edit(3, typeCopiesThen(Qt::Key_Return)), 1);
    EXPECT_EQ(block.copies, 7);
    EXPECT_EQ(block.bypassTray, 1);
}

TEST_F(OptionsDialog, CopiesAboveWhatTheBlockHoldsAreStoredAs127) {
    const auto page = open();
    item<QLineEdit>(*page, D::kCopies)->setText("1000");
    page->SaveControls();
    EXPECT_EQ(block.copies, 127);
}

TEST_F(OptionsDialog, RendersTheDialogAsItOpens) {
    const fs::path picture = ZUKIP_SCREENSHOT;
    fs::create_directories(picture.parent_path());
    fs::remove(picture);
    setenv("ZUKIP_DIALOG_SCREENSHOT", picture.c_str(), 1);
    const DriverOptions before = block;
    EXPECT_EQ(DialogLayer::PresentOptions(&block, &setup, nullptr), kIdCancel);
    unsetenv("ZUKIP_DIALOG_SCREENSHOT");
    const QImage image(QString::fromStdString(picture.string()));
    const D page(nullptr, &block, &setup);
    EXPECT_EQ(image.size(), page.size());
    EXPECT_EQ(std::memcmp(&block, &before, sizeof block), 0);
}

TEST_F(OptionsDialog, ModuleHandsOutAPageThatEditsTheHostsBlock) {
    void* module = dlopen(std::getenv("ZUKIP_MODULE"), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using CreatePage = ADriverPage* (*)(DriverOptions*, PrinterSetup*);
    auto createPage = reinterpret_cast<CreatePage>(dlsym(module, "createDriverPage"));
    ASSERT_NE(createPage, nullptr);
    ADriverPage* page = createPage(&block, &setup);
    ASSERT_NE(page, nullptr);
    auto* window = static_cast<QWidget*>(page->GetWindow());
    EXPECT_FALSE(window->findChild<QPushButton*>("ok")->isVisibleTo(window));   // the host has its own OK
    window->findChild<QCheckBox*>("invert")->setChecked(true);
    EXPECT_TRUE(page->OnKillActive());
    EXPECT_EQ(block.invertOutput, 1);
    block.invertOutput = 0;
    EXPECT_TRUE(page->OnSetActive());
    EXPECT_FALSE(window->findChild<QCheckBox*>("invert")->isChecked());
    delete page;
    dlclose(module);
}

TEST(DialogMessages, AreRealBoxesWhileQtRunsAndAnswerTheButtonPressed) {
    struct Case {
        unsigned type;
        QMessageBox::StandardButton press;
        int answer;
    };
    DialogLayer::Install();
    for (const Case& c : {Case{0x10, QMessageBox::Ok, kIdOk}, Case{0x04, QMessageBox::No, kIdNo},
                          Case{0x01, QMessageBox::Cancel, kIdCancel}}) {
        QString shown, title;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return ADD_FAILURE() << "no message box";
            shown = box->text();
            title = box->windowTitle();
            box->button(c.press)->click();
        });
        EXPECT_EQ(PlatformMessageBox("Cannot get XML ", nullptr, c.type), c.answer);
        EXPECT_EQ(shown, "Cannot get XML ");
        EXPECT_EQ(title, "Error");
    }
    DialogLayer::Uninstall();
}
