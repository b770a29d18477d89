#pragma once
// A table of text cells printed with aligned columns under a title, or
// written as JSON.
#include "JsonWriter.h"

#include <string>
#include <vector>

class TextTable {
public:
    TextTable(std::string title, std::vector<std::string> headings);
    void addRow(std::vector<std::string> cells);   // missing cells print empty, extra cells are dropped
    void setNote(std::string note) { note_ = std::move(note); }   // printed under the rows, or instead of them
    size_t rowCount() const { return rows_.size(); }
    // The title, the headings underlined, the rows and the note, each line ending in "\n".
    std::string render() const;
    // The table as a JSON object: "title", "rows" (one object per row, keyed by heading) and "note" when set.
    void writeJson(JsonWriter& json) const;

private:
    std::string title_;
    std::vector<std::string> headings_;
    std::vector<std::vector<std::string>> rows_;
    std::string note_;
};
