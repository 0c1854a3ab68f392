#include "engine/writer/TextMatch.h"

#include <gtest/gtest.h>

using brindlecast::engine::writer::codePointCount;
using brindlecast::engine::writer::findHits;
using brindlecast::engine::writer::ObjectCharacter;
using brindlecast::engine::writer::TextHit;
using brindlecast::engine::writer::TextPattern;

namespace {

std::vector<TextHit> hits(const QString& text, const QString& find, bool matchCase = false,
                          bool wholeWord = false) {
    return findHits(text, TextPattern{find, matchCase, wholeWord});
}

} // namespace

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
