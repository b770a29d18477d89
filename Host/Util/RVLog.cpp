#include "RVLog.h"

#include "AFilePath.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {
RVLogCapture* g_capture = nullptr;

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

void appendToFile(const std::string& line) {
    AFilePath path;
    path += "Temp";
    std::error_code ec;
    std::filesystem::create_directories(path.c_str(), ec);
    path += "ZuKIP.log";
    if (std::FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
    const char* echo = std::getenv("ZUKIP_LOG_STDERR");
    if (echo && *echo == '1') std::fprintf(stderr, "%s\n", line.c_str());
}
}  // namespace

void RVLogHelper::Log(const char* format, ...) const {
    char message[2048] = "";
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof message, format, args);
        va_end(args);
    }
    char head[600];
    std::snprintf(head, sizeof head, "%s %c %s(%d): ", timestamp().c_str(), level_, source_ ? source_ : "", line_);
    const std::string line = std::string(head) + message;
    appendToFile(line);
    if (g_capture) g_capture->add(line, message);
}

RVLogCapture::RVLogCapture() : previous_(g_capture) { g_capture = this; }
RVLogCapture::~RVLogCapture() { g_capture = previous_; }

void RVLogCapture::add(const std::string& line, const std::string& message) {
    lines_.push_back(line);
    messages_.push_back(message);
}

bool RVLogCapture::contains(const std::string& message) const {
    return std::find(messages_.begin(), messages_.end(), message) != messages_.end();
}
