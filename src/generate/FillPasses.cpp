#include "FillPasses.h"

#include "engine/Engine.h"

namespace brindlecast {

namespace {

// The find settings of a literal, case-insensitive replace-all over the whole range.
void replaceAll(engine::Range& range, const QString& tag, const QString& value) {
    range.find().clearFormatting();
    range.find().clearReplacementFormatting();
    engine::Find& find = range.find();
    find.setText(tag);
    find.setReplacementText(value);
    find.setForward(true);
    find.setWrap(1);
    find.setFormat(false);
    find.setMatchCase(false);
    find.setMatchWholeWord(false);
    find.setMatchWildcards(false);
    find.setMatchSoundsLike(false);
    find.setMatchAllWordForms(false);
    range.find().execute(engine::Replace::All);
}

} // namespace

QString DocumentValue(const QString& fieldText) {
    QString value = fieldText;
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    // Line breaks, and the control characters that text pasted from other programs carries
    // (the engine drops a whole value holding one), become a blank; a tab stays a tab.
    for (QChar& c : value) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\t') || code == 0x7F || code == 0x2028 || code == 0x2029)
            c = QLatin1Char(' ');
    }
    return value;
}

void StoryPass(engine::Document& document, const std::function<QString(int)>& value,
               FieldSpan fields, const std::vector<NamedFill>& named) {
    for (int i = fields.first; i <= fields.last; ++i)
        if (fields.holds(i))
            for (engine::Range* story : document.storyRanges())
                replaceAll(*story, FieldTag(i), value(i));
    for (const NamedFill& fill : named)
        for (engine::Range* story : document.storyRanges())
            replaceAll(*story, fill.tag, fill.value);
}

void IssueDatePass(engine::Application& application, const QString& issueDate) {
    replaceAll(application.selection(), IssueDateTag(), issueDate);
}

void ShapePass(engine::Document& document, const std::function<QString(int)>& value,
               const std::optional<QString>& issueDate, FieldSpan fields,
               const std::vector<NamedFill>& named) {
    // Only the text is passed here; every other find setting stays as the engine has it.
    for (engine::Shape* shape : document.shapes()) {
        if (!shape->hasText())
            continue;
        for (int i = fields.first; i <= fields.last; ++i)
            if (fields.holds(i))
                shape->textRange().find().execute(FieldTag(i), value(i), engine::Replace::All);
        for (const NamedFill& fill : named)
            shape->textRange().find().execute(fill.tag, fill.value, engine::Replace::All);
        if (issueDate)
            shape->textRange().find().execute(IssueDateTag(), *issueDate, engine::Replace::All);
    }
}

} // namespace brindlecast
