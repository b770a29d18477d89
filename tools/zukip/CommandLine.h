#pragma once
// The arguments of one zukip command: options declared by the command
// ("--name value", "--name=value", "-n value", flags) and positional arguments.
#include <string>
#include <vector>

struct OptionDef {
    std::string name;       // long name without "--"
    char shortName = 0;     // 0 when there is none
    bool takesValue = false;
    bool repeatable = false;
};

class CommandLine {
public:
    // Parses args (the words after the command name); throws UsageError for an
    // unknown option, a missing value or a repeated single option. "--help" and
    // "-h" are always known; "--" ends the options.
    CommandLine(const std::vector<std::string>& args, std::vector<OptionDef> options);

    bool wantsHelp() const { return help_; }
    bool has(const std::string& name) const;
    // The option's value, or fallback when it was not given.
    std::string value(const std::string& name, const std::string& fallback = "") const;
    // Every value of a repeatable option, in command-line order.
    std::vector<std::string> values(const std::string& name) const;
    const std::vector<std::string>& positionals() const { return positionals_; }

private:
    const OptionDef* find(const std::string& longName) const;
    const OptionDef* find(char shortName) const;
    void store(const OptionDef& option, const std::string& value);

    std::vector<OptionDef> options_;
    std::vector<std::pair<std::string, std::string>> given_;
    std::vector<std::string> positionals_;
    bool help_ = false;
};

// Reads a whole decimal number from text; throws UsageError naming the option when it is not one or lies outside min..max.
long parseNumber(const std::string& text, const std::string& what, long min, long max);
