#pragma once

#include "engine/Engine.h"
#include "newsletter/FieldTable.h"
#include "generate/FillPasses.h"
#include "generate/Generation.h"

#include <QString>
#include <array>

// The passes the newsletter generation makes over a template, taken from the generation itself,
// so that the back-end is exercised exactly the way the program drives it.
namespace brindlecast::engine::tests {

inline const std::array<QString, FieldCount>& fieldTags() {
    static const std::array<QString, FieldCount> tags = [] {
        std::array<QString, FieldCount> all;
        for (int i = 0; i < FieldCount; ++i)
            all[size_t(i)] = QString::fromLatin1(Fields()[size_t(i)].tag);
        return all;
    }();
    return tags;
}

inline const QString& issueDateTag() {
    static const QString tag = QString::fromLatin1(IssueDatePlaceholder);
    return tag;
}

using FieldValues = std::array<QString, FieldCount>;

/// Story pass (every field through every story), the issue date through the selection, then
/// every shape with text.
inline void runGenerationPasses(Application& application, Document& document,
                                const FieldValues& values, const QString& issueDate) {
    const auto value = [&](int index) { return values[size_t(index)]; };
    StoryPass(document, value);
    IssueDatePass(application, issueDate);
    ShapePass(document, value, issueDate);
}

} // namespace brindlecast::engine::tests
