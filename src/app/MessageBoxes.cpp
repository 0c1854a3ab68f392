#include "MessageBoxes.h"

namespace brindlecast {

namespace {
QString& programTitle() {
    static QString title;
    return title;
}
} // namespace

QString ProgramTitle() {
    return programTitle();
}

void SetProgramTitle(const QString& title) {
    programTitle() = title;
}

QString ApplicationTitle(const QString& productName) {
    constexpr int MaxLength = 40;
    QString title = productName;
    // The cut comes before the test, so a name that already fits still loses its last word.
    do {
        const qsizetype lastBlank = title.lastIndexOf(QLatin1Char(' '));
        if (lastBlank < 0)
            break; // one word left: keep it rather than show an empty title
        title.truncate(lastBlank);
    } while (title.size() > MaxLength);
    return title;
}

} // namespace brindlecast
