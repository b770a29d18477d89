#pragma once
// Errors that end a zukip command: one line for the user that says what went
// wrong and where. main() prints it and exits non-zero.
#include <stdexcept>
#include <string>

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// A command line the program cannot act on (exit status 2 instead of 1).
class UsageError : public ToolError {
public:
    explicit UsageError(const std::string& message) : ToolError(message) {}
};
