#include "PlatformMessageBox.h"

#include "RVLog.h"

#include <algorithm>
#include <cstdio>

namespace {
MessageBoxCapture* g_capture = nullptr;
MessageBoxPresenter g_presenter = nullptr;
}  // namespace

int PlatformMessageBox(const char* text, const char* caption, unsigned type) {
    if (g_capture) {
        g_capture->record(text);
        return g_capture->answer();
    }
    if (g_presenter) {
        const int pressed = g_presenter(text, caption, type);
        if (pressed != kNotShown) return pressed;
    }
    std::fprintf(stderr, "ZuKIP: %s\n", text ? text : "");
    RV_LOG("Platform\\PlatformMessageBox")("Message box: %s", text ? text : "");
    return kIdOk;
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { g_presenter = presenter; }

MessageBoxCapture::MessageBoxCapture(int answer) : answer_(answer), previous_(g_capture) { g_capture = this; }
MessageBoxCapture::~MessageBoxCapture() { g_capture = previous_; }

int MessageBoxCapture::count(const std::string& text) const {
    return static_cast<int>(std::count(texts_.begin(), texts_.end(), text));
}
