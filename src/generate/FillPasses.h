#pragma once

#include "newsletter/FieldTable.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace brindlecast {

namespace engine {
class Application;
class Document;
} // namespace engine

/// The fields a pass fills: indexes `first` to `last`, in that order, but those whose bit is
/// set in `later` (a later round fills them).
struct FieldSpan {
    int first = 0;
    int last = FieldCount - 1;
    unsigned later = 0;

    bool holds(int index) const {
        return index >= first && index <= last && !(later & (1u << index));
    }
};

/// A bracketed name of a template of the user's own and the value that takes its place: "[First
/// Name]" as the template spells it.
struct NamedFill {
    QString tag;
    QString value;
};

/// A field value as it goes into the document: exactly as typed, except that a line break or
/// another control character (but a tab) pasted into a one-line field becomes a blank.
QString DocumentValue(const QString& fieldText);

/// The replacement passes over an open template, in the order of a generation run: every
/// field's placeholder through every story, the issue date through the selection (the main
/// text only), then every field and the issue date through each shape that holds text.
/// `value` gives a field's text by index, read afresh for each call. A newsletter may be
/// filled in two rounds of fields, as long as each round keeps this order.
/// Named fills follow the fields in each story and shape, in their order.
void StoryPass(engine::Document& document, const std::function<QString(int)>& value,
               FieldSpan fields = {}, const std::vector<NamedFill>& named = {});
void IssueDatePass(engine::Application& application, const QString& issueDate);
/// The shapes' round; the issue date only when it is given.
void ShapePass(engine::Document& document, const std::function<QString(int)>& value,
               const std::optional<QString>& issueDate, FieldSpan fields = {},
               const std::vector<NamedFill>& named = {});

} // namespace brindlecast
