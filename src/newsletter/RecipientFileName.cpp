#include "RecipientFileName.h"

#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace brindlecast {

namespace {

bool IsTroublesome(char32_t c) {
    return c < 0x80 && QLatin1String("/\\:*?\"<>|").contains(QChar(c));
}

QString Cleaned(const QString& text) {
    QString cleaned;
    for (const char32_t c : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        if (IsTroublesome(c))
            cleaned += QLatin1Char('_');
        else if (QChar::isSpace(c))
            cleaned += QLatin1Char(' ');
        // Controls and invisible format characters go: direction overrides can make a name on
        // screen read differently from what it is. The joiners stay, as some scripts and
        // emoji need them.
        else if (QChar::isPrint(c) || c == 0x200C || c == 0x200D)
            cleaned += QString::fromUcs4(&c, 1);
    }
    return cleaned.simplified();
}

// Dots at the ends make hidden files or vanish on some file systems; blanks at the ends vanish.
QString TrimmedEnds(QString text) {
    const auto isEnd = [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(' '); };
    while (!text.isEmpty() && isEnd(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && isEnd(text.back()))
        text.chop(1);
    return text;
}

// Cut between whole characters as a reader sees them, so an accent or emoji is never halved.
QString CutToBytes(const QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype cut = 0;
    qsizetype bytes = 0;
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary()) {
        bytes += QStringView(text).mid(cut, next - cut).toUtf8().size();
        if (bytes > maxBytes)
            break;
        cut = next;
    }
    return text.left(cut);
}

const QRegularExpression& Bracketed() {
    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\[\\]]+)\\]"));
    return bracketed;
}

// Windows gives these names to devices, with any extension; a file cannot have them.
bool IsDeviceName(const QString& name) {
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name.section(QLatin1Char('.'), 0, 0).trimmed()).hasMatch();
}

// A file name is at most 255 bytes on the common file systems; the rest is for the extension
// and " (nnnn)".
constexpr int MostPatternBytes = 255 - 16 - 8;

QString WithExtension(const QString& name, const QString& extension) {
    const QString suffix = SafeFileNamePart(extension, 16);
    return suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix;
}

} // namespace

QStringList PatternNames(const QString& pattern) {
    QStringList names;
    for (const auto& match : Bracketed().globalMatch(pattern))
        names.append(match.captured(1));
    return names;
}

QString PatternFileName(const QString& pattern,
                        const std::function<QString(const QString& name)>& value,
                        const QString& extension) {
    QString expanded;
    qsizetype from = 0;
    for (const auto& match : Bracketed().globalMatch(pattern)) {
        expanded += pattern.mid(from, match.capturedStart() - from) + value(match.captured(1));
        from = match.capturedEnd();
    }
    expanded += pattern.mid(from);
    QString name = SafeFileNamePart(expanded, MostPatternBytes);
    if (name.isEmpty())
        return {};
    if (IsDeviceName(name))
        name += QLatin1Char('_');
    return WithExtension(name, extension);
}

std::vector<RenamedFile> MakeDistinct(std::vector<QString>& names) {
    QSet<QString> taken;
    for (const QString& name : names)
        taken.insert(name.toCaseFolded());
    QSet<QString> seen;
    std::vector<RenamedFile> renamed;
    for (int i = 0; i < int(names.size()); ++i) {
        QString& name = names[size_t(i)];
        if (!seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            continue;
        }
        const QFileInfo info(name);
        const QString base = info.completeBaseName();
        const QString suffix =
            info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        QString candidate;
        for (int number = 2; candidate.isEmpty() || taken.contains(candidate.toCaseFolded());
             ++number)
            candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(number).arg(suffix);
        renamed.push_back({i, name});
        name = candidate;
        taken.insert(candidate.toCaseFolded());
        seen.insert(candidate.toCaseFolded());
    }
    return renamed;
}

QString SafeFileNamePart(const QString& text, int maxBytes) {
    return TrimmedEnds(CutToBytes(TrimmedEnds(Cleaned(text)), maxBytes));
}

QString RecipientFileName(int position, int total, const QString& name, const QString& extension) {
    const int width = std::max(3, int(QString::number(std::max(total, position)).size()));
    QString safe = SafeFileNamePart(name);
    if (safe.isEmpty())
        safe = QStringLiteral("recipient");
    return WithExtension(
        QStringLiteral("%1-%2").arg(position, width, 10, QLatin1Char('0')).arg(safe), extension);
}

} // namespace brindlecast
