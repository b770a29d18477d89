#pragma once
// The host's log. Each entry is one line in "<base>/Temp/ZuKIP.log":
//   <UTC time> <level> <source path>(<line>): <message>
// Callers use RV_LOG("PrinterDriver\\...\\Unit")("format", args...).
#include <string>
#include <vector>

class RVLogHelper {
public:
    RVLogHelper(const char* source, int line, char level) : source_(source), line_(line), level_(level) {}
    void Log(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    const char* source_;
    int line_;
    char level_;
};

#define RV_LOG(source) RVLogHelper((source), __LINE__, 'E').Log

// While one exists, log entries are also collected here (tests read them).
class RVLogCapture {
public:
    RVLogCapture();
    ~RVLogCapture();
    RVLogCapture(const RVLogCapture&) = delete;
    RVLogCapture& operator=(const RVLogCapture&) = delete;

    const std::vector<std::string>& messages() const { return messages_; }  // message texts only
    const std::vector<std::string>& lines() const { return lines_; }        // whole log lines
    bool contains(const std::string& message) const;                        // exact message text
    void add(const std::string& line, const std::string& message);

private:
    std::vector<std::string> lines_;
    std::vector<std::string> messages_;
    RVLogCapture* previous_;
};
