#include "FindEngine.h"

#include "Dispatch.h"

#include <windows.h>

namespace standin {

namespace {

constexpr size_t LongestString = 255;

// A replacement is literal text and "^&" places where the found text goes.
struct Piece {
    bool found;
    std::wstring text;
};

[[noreturn]] void badCode(const std::wstring& code, const wchar_t* box) {
    throw WordError{5692, L"'" + code + L"' is not a valid special character for the " + box +
                              L" box or is not supported when the Use wildcards check box is "
                              L"selected."};
}

// The codes the stand-in knows; Word knows more (^l, ^s, ^0nnn...), which the program must not
// produce by accident, so every other code is refused.
std::vector<Piece> decode(const std::wstring& text, bool replacement) {
    const wchar_t* box = replacement ? L"Replace With" : L"Find What";
    std::vector<Piece> pieces{{false, {}}};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'^') {
            pieces.back().text += text[i];
            continue;
        }
        if (++i == text.size())
            badCode(L"^", box);
        switch (text[i]) {
        case L'^':
            pieces.back().text += L'^';
            break;
        case L'p':
            pieces.back().text += L'\r';
            break;
        case L't':
            pieces.back().text += L'\t';
            break;
        case L'&':
            if (!replacement)
                badCode(L"^&", box);
            pieces.push_back({true, {}});
            pieces.push_back({false, {}});
            break;
        default:
            badCode(text.substr(i - 1, 2), box);
        }
    }
    return pieces;
}

std::wstring upper(std::wstring text) {
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool wordCharacter(const std::wstring& text, long at) {
    return at >= 0 && at < static_cast<long>(text.size()) &&
           (IsCharAlphaNumericW(text[static_cast<size_t>(at)]) ||
            text[static_cast<size_t>(at)] == L'_');
}

// The next match at or after `from` and before `end`, or -1.
long nextMatch(const std::wstring& text, const std::wstring& folded, const std::wstring& needle,
               long from, long end, bool wholeWord) {
    const long length = static_cast<long>(needle.size());
    for (long at = from; at + length <= end; ++at) {
        at = static_cast<long>(folded.find(needle, static_cast<size_t>(at)));
        if (at < 0 || at + length > end)
            return -1;
        if (!wholeWord || (!wordCharacter(text, at - 1) && !wordCharacter(text, at + length)))
            return at;
    }
    return -1;
}

} // namespace

void checkLength(const std::wstring& text) {
    if (text.size() > LongestString)
        throw WordError{5854, L"String parameter too long."};
}

void checkRange(long value, long low, long high) {
    if (value < low || value > high)
        throw WordError{4608, L"Value out of range"};
}

bool executeFind(DocModel& doc, Story& story, const Span* span, const FindSettings& settings,
                 long replace) {
    if (settings.matchWildcards || settings.matchSoundsLike || settings.matchAllWordForms)
        throw WordError{4198, L"The stand-in for Word does not model MatchWildcards, "
                              L"MatchSoundsLike or MatchAllWordForms set to True."};
    const std::wstring pattern = decode(settings.text, false).front().text;
    const std::vector<Piece> pieces =
        replace ? decode(settings.replacement, true) : std::vector<Piece>{};
    if (pattern.empty())
        return false;
    const std::wstring needle = settings.matchCase ? pattern : upper(pattern);
    // The whole range is searched whatever Forward and Wrap say: a range is searched from its
    // start, and replacing all stops only at its end.
    long from = span ? span->start : 0;
    bool found = false;
    for (;;) {
        const std::wstring& text = story.text();
        const long end = span ? span->end : static_cast<long>(text.size());
        const std::wstring folded = settings.matchCase ? text : upper(text);
        const long at = nextMatch(text, folded, needle, from, end, settings.matchWholeWord);
        if (at < 0)
            break;
        found = true;
        if (replace == 0)
            break;
        std::wstring with;
        for (const Piece& piece : pieces)
            with += piece.found ? text.substr(static_cast<size_t>(at), needle.size()) : piece.text;
        doc.edit(story, at, static_cast<long>(needle.size()), with);
        // Word never searches again in what it has just put in.
        from = at + static_cast<long>(with.size());
        if (replace == 1)
            break;
    }
    return found;
}

} // namespace standin
