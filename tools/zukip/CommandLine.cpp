#include "CommandLine.h"

#include "ToolError.h"

#include <cerrno>
#include <cstdlib>

CommandLine::CommandLine(const std::vector<std::string>& args, std::vector<OptionDef> options)
    : options_(std::move(options)) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positionals_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help_ = true;
            continue;
        }
        const bool isLong = arg[1] == '-';
        std::string inlineValue;
        bool hasInlineValue = false;
        const OptionDef* option = nullptr;
        if (isLong) {
            std::string name = arg.substr(2);
            const size_t eq = name.find('=');
            if (eq != std::string::npos) {
                inlineValue = name.substr(eq + 1);
                hasInlineValue = true;
                name.resize(eq);
            }
            option = find(name);
        } else if (arg.size() == 2) {
            option = find(arg[1]);
        }
        if (!option) throw UsageError("unknown option " + arg + " (see --help)");
        if (!option->takesValue) {
            if (hasInlineValue) throw UsageError("option --" + option->name + " takes no value");
            store(*option, "");
            continue;
        }
        if (!hasInlineValue) {
            if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
            inlineValue = args[++i];
        }
        store(*option, inlineValue);
    }
}

const OptionDef* CommandLine::find(const std::string& longName) const {
    for (const OptionDef& option : options_)
        if (option.name == longName) return &option;
    return nullptr;
}

const OptionDef* CommandLine::find(char shortName) const {
    for (const OptionDef& option : options_)
        if (option.shortName != 0 && option.shortName == shortName) return &option;
    return nullptr;
}

void CommandLine::store(const OptionDef& option, const std::string& value) {
    if (!option.repeatable && has(option.name)) throw UsageError("option --" + option.name + " given twice");
    given_.emplace_back(option.name, value);
}

bool CommandLine::has(const std::string& name) const {
    for (const auto& [key, value] : given_)
        if (key == name) return true;
    return false;
}

std::string CommandLine::value(const std::string& name, const std::string& fallback) const {
    for (const auto& [key, value] : given_)
        if (key == name) return value;
    return fallback;
}

std::vector<std::string> CommandLine::values(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& [key, value] : given_)
        if (key == name) out.push_back(value);
    return out;
}

long parseNumber(const std::string& text, const std::string& what, long min, long max) {
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || n < min || n > max)
        throw UsageError(what + " must be a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not \"" + text + "\"");
    return n;
}
