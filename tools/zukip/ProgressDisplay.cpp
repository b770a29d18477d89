#include "ProgressDisplay.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

std::string trimmed(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

// Takes a trailing "N%" off text; -1 when there is none.
int takePercent(std::string& text) {
    text = trimmed(text);
    if (text.empty() || text.back() != '%') return -1;
    size_t start = text.size() - 1;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1]))) --start;
    if (start == text.size() - 1 || text.size() - 1 - start > 3) return -1;
    const int value = std::atoi(text.substr(start, text.size() - 1 - start).c_str());
    text.resize(start);
    return std::clamp(value, 0, 100);
}

}  // namespace

JobStatus ProgressDisplay::parse(const char* text, int kind) {
    JobStatus status;
    std::string rest = text ? text : "";
    const int last = takePercent(rest);
    if (kind == 3 && last >= 0 && trimmed(rest).empty()) {
        status.planePercent = status.overallPercent = last;
        return status;
    }
    const int first = last >= 0 ? takePercent(rest) : -1;
    if (kind == 1 && first >= 0) {
        status.plane = trimmed(rest);
        status.planePercent = first;
        status.overallPercent = last;
        return status;
    }
    status.message = trimmed(text ? text : "");
    return status;
}

void ProgressDisplay::update(const char* text, int kind) {
    const std::string current = text ? text : "";
    if (current.empty() || current == lastText_) return;
    lastText_ = current;
    const JobStatus status = parse(text, kind);
    if (!status.message.empty()) {
        finish();
        std::fprintf(out_, "%s\n", status.message.c_str());
    } else if (terminal_) {
        const int width = 30, filled = status.overallPercent * width / 100;
        std::fprintf(out_, "\r  [%s%s] %3d%%  %-12s %3d%%", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), '.').c_str(), status.overallPercent,
                     status.plane.c_str(), status.planePercent);
        barDrawn_ = true;
    } else if (status.plane != last_.plane || status.overallPercent / 10 != last_.overallPercent / 10) {
        std::fprintf(out_, "progress %3d%%%s%s\n", status.overallPercent, status.plane.empty() ? "" : "  ",
                     status.plane.c_str());
    }
    last_ = status;
    std::fflush(out_);
}

void ProgressDisplay::complete() {
    if (barDrawn_) std::fprintf(out_, "\r  [%s] 100%%  %-17s", std::string(30, '#').c_str(), "done");
    finish();
}

void ProgressDisplay::finish() {
    if (!barDrawn_) return;
    std::fprintf(out_, "\n");
    barDrawn_ = false;
    std::fflush(out_);
}
