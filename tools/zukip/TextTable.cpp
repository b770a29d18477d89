#include "TextTable.h"

#include <algorithm>

TextTable::TextTable(std::string title, std::vector<std::string> headings)
    : title_(std::move(title)), headings_(std::move(headings)) {}

void TextTable::addRow(std::vector<std::string> cells) {
    cells.resize(headings_.size());
    rows_.push_back(std::move(cells));
}

std::string TextTable::render() const {
    std::vector<size_t> widths;
    for (const std::string& h : headings_) widths.push_back(h.size());
    for (const auto& row : rows_)
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text = " ";
        for (size_t i = 0; i < cells.size(); ++i) {
            text += " " + cells[i];
            if (i + 1 < cells.size()) text += std::string(widths[i] - cells[i].size() + 1, ' ');
        }
        text.erase(text.find_last_not_of(' ') + 1);
        return text + "\n";
    };
    std::string out = title_ + "\n";
    if (!rows_.empty()) {
        out += line(headings_);
        std::vector<std::string> rules;
        for (size_t w : widths) rules.push_back(std::string(w, '-'));
        out += line(rules);
        for (const auto& row : rows_) out += line(row);
    }
    if (!note_.empty()) out += "  " + note_ + "\n";
    return out;
}

void TextTable::writeJson(JsonWriter& json) const {
    json.beginObject().key("title").value(title_).key("rows").beginArray();
    for (const auto& row : rows_) {
        json.beginObject();
        for (size_t i = 0; i < row.size(); ++i) json.key(headings_[i]).value(row[i]);
        json.endObject();
    }
    json.endArray();
    if (!note_.empty()) json.key("note").value(note_);
    json.endObject();
}
