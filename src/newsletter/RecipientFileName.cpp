#include "RecipientFileName.h"

#include <QList>
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

} // namespace

QString SafeFileNamePart(const QString& text, int maxBytes) {
    return TrimmedEnds(CutToBytes(TrimmedEnds(Cleaned(text)), maxBytes));
}

QString RecipientFileName(int position, int total, const QString& name, const QString& extension) {
    const int width = std::max(3, int(QString::number(std::max(total, position)).size()));
    QString safe = SafeFileNamePart(name);
    if (safe.isEmpty())
        safe = QStringLiteral("recipient");
    QString suffix = SafeFileNamePart(extension, 16);
    return QStringLiteral("%1-%2").arg(position, width, 10, QLatin1Char('0')).arg(safe) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

} // namespace brindlecast
