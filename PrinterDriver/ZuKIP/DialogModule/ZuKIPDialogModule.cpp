// The dialog library's one export: the table of the Qt layer's functions that
// the module asks for the first time it shows a window (DialogFunctions).
// The library holds its own copy of the core that the dialog builds on, whose
// message boxes it turns into real boxes as soon as it is loaded.
#include "DialogFunctions.h"
#include "DialogLayer.h"

namespace {
// Plugs the Qt layer into the library's own copy of the core for as long as the library is loaded.
struct LibraryLifetime {
    LibraryLifetime() { DialogLayer::Install(); }
    ~LibraryLifetime() { DialogLayer::Uninstall(); }
    LibraryLifetime(const LibraryLifetime&) = delete;
    LibraryLifetime& operator=(const LibraryLifetime&) = delete;
};
const LibraryLifetime g_libraryLifetime;

constexpr DialogFunctions kFunctions = {DialogLayer::CreatePage, DialogLayer::PresentOptions,
                                        DialogLayer::PresentMessage};
}  // namespace

extern "C" __attribute__((visibility("default"))) const DialogFunctions* zukipDialogFunctions(int version) {
    return version == DialogFunctions::kVersion ? &kFunctions : nullptr;
}
