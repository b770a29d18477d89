#pragma once
// The TIFF tag list that the driver hands to the image writer: a text of
// space-separated triples "type tag value", where type is "int16", "int32"
// or "str", e.g. "int16 259 32773 str 305 Qel".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TiffTagList {
public:
    enum class Kind { Int16, Int32, Text };
    struct Entry {
        Kind kind;
        std::uint16_t tag;
        std::uint32_t number;   // Int16 and Int32 values
        std::string text;       // Text values
    };

    // Parses the text; malformed triples (unknown type, bad number, value out of range,
    // incomplete tail) are skipped with a log line each.
    explicit TiffTagList(std::string_view text);

    const std::vector<Entry>& entries() const { return entries_; }

private:
    void add(std::string_view type, std::string_view tag, std::string_view value);

    std::vector<Entry> entries_;
};
