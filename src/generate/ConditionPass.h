#pragma once

#include "TemplateCheck.h"
#include "newsletter/ConditionalText.h"

#include <stdexcept>
#include <vector>

namespace brindlecast {

namespace engine {
class Document;
}

/// The blocks of a document and its markers that cannot be used.
struct DocumentBlocks {
    std::vector<PlacedBlock> blocks;
    std::vector<PlacedBlockProblem> problems;
};

/// Reads the blocks of an open document through the engine, as ConditionPass finds them: every
/// story but the text-frame one, then the text of every shape that has text, so each text box
/// once. Blocks resolve within a story, a shape's text or a table cell.
DocumentBlocks ReadBlocks(engine::Document& document);

/// A document whose blocks cannot be resolved: a marker written wrongly or out of place.
class BlockError : public std::runtime_error {
public:
    explicit BlockError(std::vector<PlacedBlockProblem> problems);
    /// Every problem, in the order of the document's texts; what() says the first.
    const std::vector<PlacedBlockProblem>& problems() const { return mProblems; }

private:
    std::vector<PlacedBlockProblem> mProblems;
};

/// Resolves every block of an open document for one recipient, whose fields' and columns'
/// values `lookup` gives, before the fill passes: every marker goes, so does each block's part
/// that does not apply, and so does each paragraph that this leaves empty. Every text is read
/// first: a document with a problem throws BlockError and is left as it was.
void ConditionPass(engine::Document& document, const ValueLookup& lookup);

} // namespace brindlecast
