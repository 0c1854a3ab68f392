#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The markers of the text that fits each recipient: "[IF Name]", "[IF NOT Name]",
// "[IF Name = "text"]", "[ELSE]" and "[END IF]", keywords in any letter case. One reading of
// them serves a template, an e-mail's subject and its body.
namespace brindlecast {

/// A field's or a list column's value by its name; nothing when the name is neither.
using ValueLookup = std::function<std::optional<QString>(const QString& name)>;

/// What an "[IF …]" marker asks of one value.
struct BlockCondition {
    enum class Test { Filled, Empty, Equal, Unequal };
    /// As written, with each run of blanks made one.
    QString name;
    Test test = Test::Filled;
    /// Equal and Unequal: the text compared with, without its quotes.
    QString text;

    /// Whether it holds for these values. A name that is neither field nor column is empty, and
    /// so is a value of blanks only; texts are compared without regard to letter case or to
    /// blanks at their ends.
    bool holds(const ValueLookup& lookup) const;
    /// The marker that asks it, written the one way: "[IF NOT Name]", "[IF Name = "text"]".
    QString markerText() const;
};

struct BlockMarker {
    enum class Kind { If, Else, EndIf };
    Kind kind = Kind::If;
    /// Where it stands in its paragraph's text, brackets included (UTF-16 units).
    qsizetype start = 0;
    qsizetype end = 0;
    /// The marker as written.
    QString text;
    /// An "[IF …]" marker's.
    BlockCondition condition;
    /// Why it cannot be read ("names no field or column"); empty when it can.
    QString problem;
};

/// The markers of one paragraph's text, front to back. Bracketed text that is no marker is not
/// among them; a marker written wrongly is, with its problem.
std::vector<BlockMarker> FindMarkers(const QString& text);

/// True when `bracketed`, brackets included, is a marker, well written or not.
bool IsBlockMarker(const QString& bracketed);

} // namespace brindlecast
