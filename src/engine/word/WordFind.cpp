// A range's find, and a replacement longer than Word takes in one piece.
#include "FindText.h"
#include "WordObjects.h"

namespace brindlecast::engine::word {

namespace {

QString verbatimFindText(const QString& text) {
    QString verbatim = VerbatimText(text);
    if (verbatim.size() > WordTextLimit)
        throw EngineError(QStringLiteral("Word cannot search for a text of more than %1 "
                                         "characters: \"%2\".")
                              .arg(WordTextLimit)
                              .arg(text.left(40) + QStringLiteral("..."))
                              .toStdString());
    return verbatim;
}

std::vector<Variant> executeArguments(const QString& findText, const QString& replaceWith,
                                      Replace replace) {
    // FindText, then MatchCase to Format left out, then ReplaceWith and Replace.
    std::vector<Variant> arguments{Variant::string(findText)};
    for (int i = 0; i < 8; ++i)
        arguments.push_back(Variant::omitted());
    arguments.push_back(Variant::string(replaceWith));
    arguments.push_back(Variant::int16(short(replace)));
    return arguments;
}

} // namespace

void WordFind::clearFormatting() {
    mFind.call(L"ClearFormatting");
}

void WordFind::clearReplacementFormatting() {
    mFind.object(L"Replacement").call(L"ClearFormatting");
}

void WordFind::setText(const QString& text) {
    const QString verbatim = verbatimFindText(text);
    mFind.put(L"Text", Variant::string(verbatim));
    mText = verbatim;
}

void WordFind::setReplacementText(const QString& text) {
    std::vector<QString> pieces = ReplacementPieces(text);
    setReplacementPiece(ChainedPiece(pieces, 0));
    mPieces = std::move(pieces);
}

void WordFind::setReplacementPiece(const QString& text) {
    mFind.object(L"Replacement").put(L"Text", Variant::string(text));
}

void WordFind::setFlag(const wchar_t* name, bool on) {
    mFind.put(name, Variant::boolean(on));
}

void WordFind::setForward(bool forward) {
    setFlag(L"Forward", forward);
}

void WordFind::setWrap(int wrap) {
    mFind.put(L"Wrap", Variant::int32(wrap));
}

void WordFind::setFormat(bool format) {
    setFlag(L"Format", format);
}

void WordFind::setMatchCase(bool matchCase) {
    setFlag(L"MatchCase", matchCase);
}

void WordFind::setMatchWholeWord(bool wholeWord) {
    setFlag(L"MatchWholeWord", wholeWord);
}

void WordFind::setMatchWildcards(bool wildcards) {
    setFlag(L"MatchWildcards", wildcards);
}

void WordFind::setMatchSoundsLike(bool soundsLike) {
    setFlag(L"MatchSoundsLike", soundsLike);
}

void WordFind::setMatchAllWordForms(bool allWordForms) {
    setFlag(L"MatchAllWordForms", allWordForms);
}

void WordFind::execute(Replace replace) {
    mFind.call(L"Execute", {}, {{L"Replace", Variant::int16(short(replace))}});
    if (replace == Replace::None || mPieces.size() < 2)
        return;
    // The first piece went in with a marker after it; each further piece replaces the marker
    // before it, under the same settings. Then the settings are the caller's again.
    if (!mText)
        mText = mFind.get(L"Text").toString();
    for (int i = 1; i < int(mPieces.size()); ++i) {
        mFind.put(L"Text", Variant::string(ChainMarker(i - 1)));
        setReplacementPiece(ChainedPiece(mPieces, i));
        mFind.call(L"Execute", {}, {{L"Replace", Variant::int16(short(replace))}});
    }
    mFind.put(L"Text", Variant::string(*mText));
    setReplacementPiece(ChainedPiece(mPieces, 0));
}

void WordFind::execute(const QString& findText, const QString& replaceWith, Replace replace) {
    const QString verbatim = verbatimFindText(findText);
    const std::vector<QString> pieces = ReplacementPieces(replaceWith);
    mFind.call(L"Execute", executeArguments(verbatim, ChainedPiece(pieces, 0), replace));
    if (replace == Replace::None)
        return;
    for (int i = 1; i < int(pieces.size()); ++i)
        mFind.call(L"Execute",
                   executeArguments(ChainMarker(i - 1), ChainedPiece(pieces, i), replace));
}

} // namespace brindlecast::engine::word
