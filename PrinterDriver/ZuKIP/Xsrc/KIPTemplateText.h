#pragma once
// A text made from a template by putting values in place of its token words
// (name patterns, job tickets). Tokens are looked for in the template's own
// text only, never inside a value put in before: whatever a document name or
// a sender holds, it is never taken for a token.
#include "AString.h"

#include <string>
#include <string_view>
#include <vector>

class KIPTemplateText {
public:
    // A template all of whose text may hold tokens.
    KIPTemplateText(const AString& templateText);   // NOLINT: a plain pattern is a template
    KIPTemplateText(const char* templateText);      // NOLINT

    // Puts value in place of the first occurrence of token in the template's
    // own text; false (nothing changed) when there is none.
    bool ReplaceFirst(std::string_view token, std::string_view value);

    // The whole text before and after the first occurrence of token in the
    // template's own text; false (before and after untouched) when there is none.
    bool SplitAt(std::string_view token, AString& before, AString& after) const;

    // The template's text with the values in place.
    AString Text() const;

private:
    struct Piece {
        std::string text;
        bool isValue;   // put in by ReplaceFirst: never searched
    };
    // Index of the template piece holding the first token, and the position in it; false when none.
    bool find(std::string_view token, size_t& piece, size_t& at) const;
    AString join(size_t first, size_t last) const;

    std::vector<Piece> pieces_;
};
