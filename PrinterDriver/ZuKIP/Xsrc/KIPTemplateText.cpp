// Template text with values put in place of tokens; see the header.
#include "KIPTemplateText.h"

KIPTemplateText::KIPTemplateText(const AString& templateText) : pieces_{{templateText.str(), false}} {}

KIPTemplateText::KIPTemplateText(const char* templateText) : pieces_{{templateText ? templateText : "", false}} {}

bool KIPTemplateText::find(std::string_view token, size_t& piece, size_t& at) const {
    if (token.empty()) return false;
    for (piece = 0; piece < pieces_.size(); ++piece) {
        if (pieces_[piece].isValue) continue;
        at = pieces_[piece].text.find(token);
        if (at != std::string::npos) return true;
    }
    return false;
}

bool KIPTemplateText::ReplaceFirst(std::string_view token, std::string_view value) {
    size_t piece = 0, at = 0;
    if (!find(token, piece, at)) return false;
    std::string after = pieces_[piece].text.substr(at + token.size());
    pieces_[piece].text.resize(at);
    const auto next = pieces_.begin() + static_cast<std::ptrdiff_t>(piece) + 1;
    pieces_.insert(next, {{std::string(value), true}, {std::move(after), false}});
    return true;
}

bool KIPTemplateText::SplitAt(std::string_view token, AString& before, AString& after) const {
    size_t piece = 0, at = 0;
    if (!find(token, piece, at)) return false;
    before = join(0, piece) + AString(pieces_[piece].text.substr(0, at));
    after = AString(pieces_[piece].text.substr(at + token.size())) + join(piece + 1, pieces_.size());
    return true;
}

AString KIPTemplateText::join(size_t first, size_t last) const {
    std::string text;
    for (size_t i = first; i < last; ++i) text += pieces_[i].text;
    return AString(std::move(text));
}

AString KIPTemplateText::Text() const { return join(0, pieces_.size()); }
