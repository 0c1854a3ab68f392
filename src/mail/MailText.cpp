#include "MailText.h"

#include "newsletter/BlockMarkers.h"
#include "newsletter/ConditionalText.h"

#include <QRegularExpression>

namespace brindlecast::mail {

namespace {

const QRegularExpression& Bracketed() {
    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\[\\]\\r\\n]+)\\]"));
    return bracketed;
}

QString DecodeEntities(const QString& text) {
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    static const QHash<QString, QString> named = {
        {"amp", "&"},        {"lt", "<"},          {"gt", ">"},        {"quot", "\""},
        {"apos", "'"},       {"nbsp", " "},        {"copy", "\u00a9"}, {"mdash", "\u2014"},
        {"ndash", "\u2013"}, {"hellip", "\u2026"}, {"euro", "\u20ac"}};
    QString out;
    qsizetype from = 0;
    for (const auto& match : entity.globalMatch(text)) {
        out += text.mid(from, match.capturedStart() - from);
        const QString name = match.captured(1);
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x")) ? name.mid(2).toUInt(&ok, 16)
                          : name.startsWith(QLatin1Char('#'))  ? name.mid(1).toUInt(&ok, 10)
                                                               : 0;
        if (ok && code > 0 && code <= 0x10ffff)
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        else
            out += named.value(name, match.captured(0));
        from = match.capturedEnd();
    }
    return out + text.mid(from);
}

} // namespace

QString FillMailText(const QString& given, const MergeValues& values, TextKind kind) {
    // The blocks go first, so that no value is ever read as a marker.
    const QString text =
        ResolveBlocks(given, [&](const QString& name) { return values.value(name); }).text;
    QString filled;
    qsizetype from = 0;
    for (const auto& match : Bracketed().globalMatch(text)) {
        const auto value = values.value(match.captured(1));
        if (!value)
            continue;
        filled += text.mid(from, match.capturedStart() - from);
        filled += kind == TextKind::Html ? value->toHtmlEscaped() : *value;
        from = match.capturedEnd();
    }
    return filled + text.mid(from);
}

QStringList UnknownNames(const QString& text, const MergeValues& values) {
    QStringList unknown;
    for (const auto& match : Bracketed().globalMatch(text)) {
        const QString name = match.captured(1);
        if (IsBlockMarker(match.captured(0)))
            continue;
        if (name.front().isLetter() && !values.value(name) && !unknown.contains(name))
            unknown.append(name);
    }
    return unknown;
}

QString BlockTrouble(const QString& text) {
    const auto problems = ResolveBlocks(text, [](const QString&) { return std::nullopt; }).problems;
    if (problems.empty())
        return {};
    const BlockProblem& first = problems.front();
    return QStringLiteral("%1 (line %2) %3")
        .arg(first.marker)
        .arg(first.paragraph + 1)
        .arg(first.what);
}

QString HtmlAsText(const QString& html) {
    QString text = html;
    const auto replace = [&](const char* pattern, const QString& with) {
        text.replace(QRegularExpression(QLatin1String(pattern),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption),
                     with);
    };
    replace("<(head|script|style|title)\\b.*?</\\1\\s*>", {});
    replace("<!--.*?-->", {});
    replace("\\s+", QStringLiteral(" "));
    replace("<a\\s[^>]*href\\s*=\\s*[\"']([^\"']*)[\"'][^>]*>(.*?)</a\\s*>", "\\2 (\\1)");
    replace("<br\\s*/?>", QStringLiteral("\n"));
    replace("<li\\b[^>]*>", QStringLiteral("\n- "));
    replace("</?(p|div|h[1-6]|ul|ol|table|tr|blockquote)\\b[^>]*>", QStringLiteral("\n\n"));
    replace("<[^>]*>", {});
    text = DecodeEntities(text);
    replace("[ \\t]*\\n[ \\t]*", QStringLiteral("\n"));
    replace("\\n{3,}", QStringLiteral("\n\n"));
    return text.trimmed() + QLatin1Char('\n');
}

} // namespace brindlecast::mail
