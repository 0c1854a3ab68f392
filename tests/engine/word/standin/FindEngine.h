#pragma once

#include "Model.h"

#include <string>

// Word's find and replace, as far as the program relies on it: literal matching, case-blind
// unless MatchCase, caret codes in both texts even without wildcards, and the 255-character
// limit of Word's string parameters.
namespace standin {

/// Word keeps one set of these for the whole application session, whatever range's Find
/// object sets them. The defaults are Word's at start.
struct FindSettings {
    std::wstring text;
    std::wstring replacement;
    bool forward = true;
    long wrap = 0;
    bool format = false;
    bool matchCase = false;
    bool matchWholeWord = false;
    bool matchWildcards = false;
    bool matchSoundsLike = false;
    bool matchAllWordForms = false;
};

/// WordError "String parameter too long." beyond 255 characters.
void checkLength(const std::wstring& text);
/// WordError "Value out of range" unless low <= value <= high.
void checkRange(long value, long low, long high);

/// Finds in the story (or in `span` of it) and replaces none (0), the first (1) or every (2)
/// occurrence. True when something was found.
bool executeFind(DocModel& doc, Story& story, const Span* span, const FindSettings& settings,
                 long replace);

} // namespace standin
