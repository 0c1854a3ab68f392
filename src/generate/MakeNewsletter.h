#pragma once

#include "FillPasses.h"
#include "engine/Engine.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace brindlecast {

/// The fields every newsletter of a recipient list shares, and those that follow for each
/// recipient: the recipient's four and the month and year. Filled in these two rounds, each in
/// field order, a newsletter comes out as one filled in a single round.
inline constexpr int FirstRecipientField = 12;
inline constexpr FieldSpan SharedFields{0, FirstRecipientField - 1};
inline constexpr FieldSpan RecipientFields{FirstRecipientField, FieldCount - 1};

/// One round of filling a newsletter without a window.
struct FillRound {
    /// A template or a newsletter filled in an earlier round; opened read-only.
    QString source;
    FieldSpan fields;
    /// A field's value as it goes into the document (see DocumentValue).
    std::function<QString(int index)> value;
    /// The issue date's text, filled after the fields when given.
    std::optional<QString> issueDate;
    /// The document's title, when given.
    std::optional<QString> title;
    QString target;
    engine::SaveFormat format = engine::SaveFormat::Doc;
    /// Told why, when the title cannot be set: the newsletter is then made without one.
    std::function<void(const QString& reason)> titleNotSet = {};
    /// The bracketed names of a template of the user's own that take values of their own,
    /// filled after the fields (values as they go into the document).
    std::vector<NamedFill> named = {};
};

/// Fills `round.source` through a session of `engine` as a generation run does (every story,
/// the issue date through the main text, then every shape) and saves the result at
/// `round.target`. The session is quit whatever happens; throws what the engine throws, and
/// std::runtime_error when the file the engine saved is not a whole document (see WhyNotWhole).
void MakeNewsletterFile(engine::Engine& engine, const FillRound& round);

} // namespace brindlecast
