#include "engine/writer/TextMatch.h"

#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using engine::writer::codePointCount;
using engine::writer::findHits;
using engine::writer::ObjectCharacter;
using engine::writer::TextHit;
using engine::writer::TextPattern;

std::vector<TextHit> hits(const QString& text, const QString& find, bool matchCase = false,
                          bool wholeWord = false) {
    return findHits(text, TextPattern{find, matchCase, wholeWord});
}

TEST(TextMatch, IgnoresCaseUnlessAskedAndNeverOverlaps) {
    EXPECT_EQ(hits("From [Sendername] at [sENDERNAME]", "[SENDERNAME]"),
              (std::vector<TextHit>{{5, 12}, {21, 12}}));
    EXPECT_TRUE(hits("From [Sendername]", "[SENDERNAME]", true).empty());
    EXPECT_EQ(hits("[SENDERNAME]", "[SENDERNAME]", true), (std::vector<TextHit>{{0, 12}}));
    // Consumed from the front, as replace-all does: "aaaa" holds two "aa", not three.
    EXPECT_EQ(hits("aaaa", "aa"), (std::vector<TextHit>{{0, 2}, {2, 2}}));
    EXPECT_EQ(findHits(QStringLiteral("x [A] y [a]"), TextPattern{"[A]", false, false}, true),
              (std::vector<TextHit>{{2, 3}}));
}

TEST(TextMatch, PlaceholdersDoNotMatchInsideLongerOnes) {
    EXPECT_TRUE(hits("[COMPANYNAME2] [STREETADDRESS2]", "[COMPANYNAME]").empty());
    EXPECT_TRUE(hits("[STREETADDRESS2]", "[STREETADDRESS]").empty());
    EXPECT_EQ(hits("[Edition [ISSUENO], Volume [VOLNO]]", "[ISSUENO]"),
              (std::vector<TextHit>{{9, 9}}));
}

TEST(TextMatch, ObjectsNeverMatchAndEmptyFindsNothing) {
    const QString withField =
        QStringLiteral("[NL") + QChar(ObjectCharacter) + QStringLiteral("TITLE] [NLTITLE]");
    EXPECT_EQ(hits(withField, "[NLTITLE]"), (std::vector<TextHit>{{11, 9}}));
    EXPECT_TRUE(hits(withField, QString(QChar(ObjectCharacter))).empty());
    EXPECT_TRUE(hits("anything", "").empty());
}

TEST(TextMatch, WholeWordsOnlyWhenAsked) {
    EXPECT_EQ(hits("cat concat cat_ cat.", "cat", false, true),
              (std::vector<TextHit>{{0, 3}, {16, 3}}));
    EXPECT_EQ(hits("cat concat", "cat").size(), 2u);
    // A letter outside the basic plane still counts as part of a word.
    EXPECT_TRUE(hits(QString::fromUtf8("\xF0\x9D\x90\x80x"), "x", false, true).empty());
    EXPECT_EQ(hits(QString::fromUtf8("\xF0\x9F\x8E\x89x"), "x", false, true).size(), 1u);
}

TEST(TextMatch, PositionsAreUtf16AndCodePointsCountPairsOnce) {
    const QString text = QString::fromUtf8("\xF0\x9F\x8E\x89 \xD7\xA9\xD7\x9C [VOLNO]");
    const auto found = hits(text, "[volno]");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].position, 6);
    EXPECT_EQ(codePointCount(QStringView(text).first(found[0].position)), 5);
    // Half a character is never a hit.
    const QString pair = QString::fromUtf8("\xF0\x9F\x8E\x89");
    EXPECT_TRUE(hits(pair + pair, pair.right(1) + pair.left(1)).empty());
    EXPECT_TRUE(hits(pair, pair.left(1)).empty());
    EXPECT_EQ(codePointCount(u"abc"), 3);
    EXPECT_EQ(codePointCount(QString::fromUtf8("\xF0\x9F\x8E\x89\xF0\x9F\x93\xB0")), 2);
}

using engine::writer::EditedText;
using Edits = std::vector<EditedText::Edit>;

// Applies `edits` to `original` from the back, as the document receives them.
QString applied(QString original, const Edits& edits) {
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
        original.replace(edit->start, edit->end - edit->start, edit->replacement);
    return original;
}

// Replace-all as a story does it: hits found in the edited text, replaced from the back.
void replaceAll(EditedText& text, const QString& find, const QString& value) {
    const auto found = hits(text.text(), find);
    for (auto hit = found.rbegin(); hit != found.rend(); ++hit)
        text.replace(hit->position, hit->length, value);
}

TEST(EditedText, EditsAreSpansOfTheOriginalWhateverWasInsertedBefore) {
    EditedText text(QStringLiteral("[A] · [B]<[A]>"));
    // A value that holds a later placeholder is filled by that later replacement, inside it.
    replaceAll(text, "[a]", QStringLiteral("long [B] value"));
    replaceAll(text, "[b]", QStringLiteral("b"));
    EXPECT_EQ(text.text(), QStringLiteral("long b value · b<long b value>"));
    EXPECT_EQ(text.edits(), (Edits{{0, 3, QStringLiteral("long b value")},
                                   {6, 9, QStringLiteral("b")},
                                   {10, 13, QStringLiteral("long b value")}}));
    EXPECT_EQ(applied(text.original(), text.edits()), text.text());

    text.settle();
    EXPECT_FALSE(text.edited());
    EXPECT_EQ(text.original(), text.text());
}

TEST(EditedText, RemovalsJoinAndAHitMayStraddleInsertedAndOriginalText) {
    EditedText text(QStringLiteral("x[A][B]y"));
    replaceAll(text, "[A]", QString());
    replaceAll(text, "[B]", QString());
    EXPECT_EQ(text.edits(), (Edits{{1, 7, QString()}}));
    EXPECT_EQ(text.text(), QStringLiteral("xy"));

    EditedText straddle(QStringLiteral("[NLTITLE]TITLE]!"));
    replaceAll(straddle, "[NLTITLE]", QStringLiteral("[NLSUB"));
    replaceAll(straddle, "[NLSUBTITLE]", QStringLiteral("sub"));
    EXPECT_EQ(straddle.text(), QStringLiteral("sub!"));
    EXPECT_EQ(applied(straddle.original(), straddle.edits()), straddle.text());

    EditedText empty;
    EXPECT_FALSE(empty.edited());
    empty.replace(0, 0, QStringLiteral("v"));
    EXPECT_EQ(empty.edits(), (Edits{{0, 0, QStringLiteral("v")}}));
}

} // namespace
} // namespace brindlecast
