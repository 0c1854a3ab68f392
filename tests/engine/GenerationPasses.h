#pragma once

#include "engine/Engine.h"
#include "generate/FillPasses.h"
#include "newsletter/FieldTable.h"

#include <QString>
#include <array>

// The passes the newsletter generation makes over a template, taken from the generation itself,
// so that the back-end is exercised exactly the way the program drives it.
namespace brindlecast::testing {

inline const std::array<QString, FieldCount>& fieldTags() {
    static const std::array<QString, FieldCount> tags = [] {
        std::array<QString, FieldCount> all;
        for (int i = 0; i < FieldCount; ++i)
            all[size_t(i)] = FieldTag(i);
        return all;
    }();
    return tags;
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

} // namespace brindlecast::testing
