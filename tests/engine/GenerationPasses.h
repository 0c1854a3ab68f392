#pragma once

#include "engine/Engine.h"

#include <QString>
#include <QStringList>
#include <array>

// The three passes the newsletter generation makes over a template, on the engine interface
// only, so that the back-end is exercised the way the program drives it.
namespace brindlecast::engine::tests {

inline const std::array<QString, 17>& fieldTags() {
    static const std::array<QString, 17> tags = {
        QStringLiteral("[NLTITLE]"),        QStringLiteral("[NLSUBTITLE]"),
        QStringLiteral("[ISSUENO]"),        QStringLiteral("[VOLNO]"),
        QStringLiteral("[SENDERNAME]"),     QStringLiteral("[COMPANYNAME]"),
        QStringLiteral("[STREETADDRESS]"),  QStringLiteral("[CITYSTZIP]"),
        QStringLiteral("[OFFICENO]"),       QStringLiteral("[FAXNO]"),
        QStringLiteral("[EMAILADDRESS]"),   QStringLiteral("[WEBSITE]"),
        QStringLiteral("[RECIPIENTNAME]"),  QStringLiteral("[COMPANYNAME2]"),
        QStringLiteral("[STREETADDRESS2]"), QStringLiteral("[CITYSTZIP2]"),
        QStringLiteral("[MONTHYEAR]")};
    return tags;
}

inline const QString& issueDateTag() {
    static const QString tag = QStringLiteral("[IssueDate]");
    return tag;
}

using FieldValues = std::array<QString, 17>;

/// Story pass (every field through every story), the issue date through the selection, then
/// every shape with text.
inline void runGenerationPasses(Application& application, Document& document,
                                const FieldValues& values, const QString& issueDate) {
    for (std::size_t field = 0; field < values.size(); ++field) {
        for (Range* story : document.storyRanges()) {
            Find& find = story->find();
            find.clearFormatting();
            find.clearReplacementFormatting();
            find.setText(fieldTags()[field]);
            find.setReplacementText(values[field]);
            find.setForward(true);
            find.setWrap(1);
            find.setFormat(false);
            find.setMatchCase(false);
            find.setMatchWholeWord(false);
            find.setMatchWildcards(false);
            find.setMatchSoundsLike(false);
            find.setMatchAllWordForms(false);
            find.execute(Replace::All);
        }
    }
    Find& selectionFind = application.selection().find();
    selectionFind.clearFormatting();
    selectionFind.setText(issueDateTag());
    selectionFind.setReplacementText(issueDate);
    selectionFind.execute(Replace::All);
    for (Shape* shape : document.shapes()) {
        if (!shape->hasText())
            continue;
        for (std::size_t field = 0; field < values.size(); ++field)
            shape->textRange().find().execute(fieldTags()[field], values[field], Replace::All);
    }
}

} // namespace brindlecast::engine::tests
