#include "ConditionPass.h"

#include "engine/Engine.h"

#include <QStringList>
#include <algorithm>
#include <map>

namespace brindlecast {

namespace {

// One text of the document with its blocks, and how a person counts its paragraphs.
struct TextBlocks {
    engine::Range* range = nullptr;
    std::vector<TextPlace> places;
    std::vector<int> numbers;
    ConditionalText blocks;
};

// A text whose string shows no marker holds none: one call instead of one per paragraph.
bool mayHoldMarkers(engine::Range& range) {
    const QStringList lines = range.text().split(QLatin1Char('\n'));
    return std::any_of(lines.begin(), lines.end(),
                       [](const QString& line) { return !FindMarkers(line).empty(); });
}

// Paragraphs count from 1 in their place: the main text's tables apart from the rest of it.
TextBlocks readText(engine::Range& range, TextPlace place) {
    std::vector<BlockParagraph> paragraphs;
    std::vector<TextPlace> places;
    std::vector<int> numbers;
    std::map<TextPlace, int> counted;
    for (const engine::ParagraphText& paragraph : range.paragraphs()) {
        paragraphs.push_back({paragraph.text, paragraph.cell});
        const TextPlace here =
            place == TextPlace::MainText && paragraph.cell >= 0 ? TextPlace::Table : place;
        places.push_back(here);
        numbers.push_back(++counted[here]);
    }
    return {&range, std::move(places), std::move(numbers), ConditionalText(std::move(paragraphs))};
}

std::vector<TextBlocks> readTexts(engine::Document& document) {
    std::vector<TextBlocks> texts;
    for (engine::Range* story : document.storyRanges()) {
        const int type = story->storyType();
        // The shapes below hold every text box, the text-frame story's too.
        if (type != 5 && mayHoldMarkers(*story))
            texts.push_back(readText(*story, PlaceOfStory(type)));
    }
    for (engine::Shape* shape : document.shapes())
        if (shape->hasText() && mayHoldMarkers(shape->textRange()))
            texts.push_back(readText(shape->textRange(), TextPlace::TextBox));
    return texts;
}

DocumentBlocks placed(const std::vector<TextBlocks>& texts) {
    DocumentBlocks found;
    for (const TextBlocks& text : texts) {
        for (const Block& block : text.blocks.blocks())
            found.blocks.push_back({text.places[size_t(block.paragraph)],
                                    text.numbers[size_t(block.paragraph)], block});
        for (const BlockProblem& problem : text.blocks.problems())
            found.problems.push_back({text.places[size_t(problem.paragraph)],
                                      text.numbers[size_t(problem.paragraph)], problem});
    }
    return found;
}

} // namespace

BlockError::BlockError(std::vector<PlacedBlockProblem> problems)
    : std::runtime_error(problems.empty() ? std::string("The blocks cannot be resolved.")
                                          : problems.front().text().toStdString())
    , mProblems(std::move(problems)) {}

DocumentBlocks ReadBlocks(engine::Document& document) {
    return placed(readTexts(document));
}

void ConditionPass(engine::Document& document, const ValueLookup& lookup) {
    const std::vector<TextBlocks> texts = readTexts(document);
    if (DocumentBlocks found = placed(texts); !found.problems.empty())
        throw BlockError(std::move(found.problems));
    for (const TextBlocks& text : texts) {
        const std::vector<TextCut> cuts = text.blocks.cuts(lookup);
        // From the back, so that the places of the cuts before stay where they were read.
        for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut)
            text.range->deleteText(cut->fromParagraph, cut->fromOffset, cut->toParagraph,
                                   cut->toOffset);
    }
}

} // namespace brindlecast
