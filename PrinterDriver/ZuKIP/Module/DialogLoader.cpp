#include "DialogLoader.h"

#include "DialogFunctions.h"
#include "Platform/DisplayAccess.h"
#include "Platform/PlatformMessageBox.h"
#include "Platform/SharedLibrary.h"
#include "RVLog.h"

#include <filesystem>
#include <memory>
#include <string>

namespace {
constexpr const char* kLibraryName = "ZuKIPDialog.so";
// Loaded by whoever runs a Qt GUI in this process: a Qt host, or the dialog library itself.
constexpr const char* kQtWidgets = "libQt6Widgets.so.6";
constexpr unsigned kStopIcon = 0x10;

bool g_tried = false;
const DialogFunctions* g_functions = nullptr;   // null until loaded, and for good when that failed
std::string g_failure;                          // why the library cannot be used
// Kept for the module's lifetime; the library itself stays loaded even after it is closed.
std::unique_ptr<SharedLibrary> g_library;

// Why the library beside the module gives no usable table; empty when it gave one (then in g_functions).
std::string load() {
    const std::string module = SharedLibrary::FileOf(&g_tried);
    // Never a library of the working folder instead.
    if (module.empty()) return "the system does not tell where the module lies";
    const std::string path = (std::filesystem::path(module).parent_path() / kLibraryName).string();
    g_library = std::make_unique<SharedLibrary>(path, SharedLibrary::Lifetime::Resident);
    if (!g_library->IsOpen()) return g_library->Error();
    const auto factory = g_library->Function<DialogFunctions::Factory>(DialogFunctions::kFactory);
    if (!factory) return path + ": " + g_library->Error();
    g_functions = factory(DialogFunctions::kVersion);
    return g_functions ? std::string() : path + ": built for another version of the module";
}

// The library's table, loading the library on the first call only; null when it cannot be used.
const DialogFunctions* functions() {
    if (!g_tried) {
        g_tried = true;
        g_failure = load();
        if (!g_failure.empty())
            RV_LOG("PrinterDriver\\ZuKIP\\Module\\DialogLoader")("Cannot load the dialog library: %s",
                                                                g_failure.c_str());
    }
    return g_functions;
}

// The library's table for a window about to be shown; null, with the user told why, when the
// library cannot be used.
const DialogFunctions* functionsForWindow() {
    const DialogFunctions* table = functions();
    if (!table) {
        const std::string text = "The \"Driver Options\" dialog cannot be opened: its library is missing or broken (" +
                                 g_failure + ").";
        PlatformMessageBox(text.c_str(), nullptr, kStopIcon);
    }
    return table;
}

// Without a Qt GUI in the process and without a display no window can be made, and nothing needs loading.
bool windowsPossible() { return SharedLibrary::IsLoaded(kQtWidgets) || DisplayAccess::Available(); }
}  // namespace

void DialogLoader::Install() {
    OptionsDialogHook::SetPresenter(PresentOptions);
    SetMessageBoxPresenter(PresentMessage);
}

void DialogLoader::Uninstall() {
    OptionsDialogHook::SetPresenter(nullptr);
    SetMessageBoxPresenter(nullptr);
}

ADriverPage* DialogLoader::CreatePage(DriverOptions* block, PrinterSetup* setup) {
    if (!block || !windowsPossible()) return nullptr;
    const DialogFunctions* table = functionsForWindow();
    return table ? table->createPage(block, setup) : nullptr;
}

int DialogLoader::PresentOptions(DriverOptions* block, PrinterSetup* setup, void* parentWindow) {
    if (!windowsPossible()) return kIdCancel;
    const DialogFunctions* table = functionsForWindow();
    return table ? table->presentOptions(block, setup, parentWindow) : kIdCancel;
}

int DialogLoader::PresentMessage(const char* text, const char* caption, unsigned type) {
    // Only a running Qt application shows real boxes, and it cannot run before Qt is loaded.
    if (!SharedLibrary::IsLoaded(kQtWidgets)) return kNotShown;
    const DialogFunctions* table = functions();
    return table ? table->presentMessage(text, caption, type) : kNotShown;
}
