// The advice of the Windows edition, whose engine is Word: the box says it word for word, as
// people who have seen it before know it. Only the command line adds the system's own reason.
#include "EngineCheck.h"

#include <QStringList>

namespace brindlecast {

QString WordMissingAdvice(const QString& reason, AdviceFor where) {
    QStringList paragraphs{
        QStringLiteral("Error 842001. A normal instance of Word could not be created."),
        QStringLiteral("1. Please make sure Word is installed on this computer."),
        QStringLiteral("2. Please open Word normally and make sure a blank document opens "
                       "immediately without any interrupting window (such as an Word file "
                       "recovery window)."),
        QStringLiteral("3. Please make sure that when you double-click on a DOC or DOCX file "
                       "that Word opens normally without any interrupting messages."),
        QStringLiteral("4. All versions of Word are supported by this software except for the "
                       "rare Word Starter and Student editions.")};
    if (where == AdviceFor::Console && !reason.isEmpty())
        paragraphs << reason;
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

} // namespace brindlecast
