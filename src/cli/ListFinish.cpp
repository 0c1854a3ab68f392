// The end of a list run: the pages joined into one PDF when asked for, and the summary.
#include "Console.h"
#include "EngineSlot.h"
#include "ListRunner.h"
#include "MakeCommand.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "generate/Generation.h"
#include "generate/SaveCopy.h"
#include "generate/WholeDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <algorithm>

namespace brindlecast::cli {

int ListRunner::combine() {
    // The pages go in a file of arguments: a long list's names would not fit on a command line.
    QByteArray pages = "--empty\n--pages\n";
    for (int index = 0; index < int(mMade.size()); ++index)
        if (mMade[size_t(index)])
            pages += QFile::encodeName(madePath(index)) + '\n';
    const QString joined = mScratch + QStringLiteral("/combined.pdf");
    pages += "--\n" + QFile::encodeName(joined) + '\n';
    const QString pagesFile = mScratch + QStringLiteral("/pages");
    QProcess qpdf;
    try {
        WriteFreshFile(pagesFile, pages);
        qpdf.start(QStringLiteral("qpdf"), {QLatin1Char('@') + pagesFile});
        if (!qpdf.waitForStarted())
            throw std::runtime_error(qpdf.errorString().toStdString());
    } catch (const std::exception& error) {
        mConsole.error(QStringLiteral("cannot join the pages into %1: %2")
                           .arg(mJob.combined, QString::fromLocal8Bit(error.what())));
        return SomeFailed;
    }
    // Waited for in steps: a termination signal reaches the program through its event queue,
    // and a long join must not keep it from ending.
    while (qpdf.state() != QProcess::NotRunning && !qpdf.waitForFinished(100)) {
        QCoreApplication::processEvents();
        if (ProgramEnding()) {
            qpdf.kill();
            qpdf.waitForFinished();
            mConsole.error(QStringLiteral("stopped; %1 was not made").arg(mJob.combined));
            return SomeFailed;
        }
    }
    // qpdf's exit code 3 means it succeeded with warnings.
    if (qpdf.exitStatus() != QProcess::NormalExit ||
        (qpdf.exitCode() != 0 && qpdf.exitCode() != 3)) {
        mConsole.error(
            QStringLiteral("cannot join the pages into %1: %2")
                .arg(mJob.combined, QString::fromLocal8Bit(qpdf.readAllStandardError()).trimmed()));
        return SomeFailed;
    }
    try {
        // qpdf may not notice a full disk: what it wrote must be a whole PDF.
        if (const QString why = WhyNotWhole(joined, engine::SaveFormat::Pdf); !why.isEmpty())
            throw SaveError(QStringLiteral("Cannot save the newsletter to %1: the joined pages "
                                           "%2 are not whole: %3.")
                                .arg(mJob.combined, joined, why),
                            SaveError::Kind::ThisFile);
        SaveCopy(joined, mJob.combined, mJob.templateFile);
    } catch (const std::exception& error) {
        mConsole.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
    return AllMade;
}

QString ListRunner::summaryLine(int made, double seconds, bool joined) const {
    QString line =
        QStringLiteral("Made %1 of %2 newsletters in %3 s (%4 per second), %5.")
            .arg(made)
            .arg(total())
            .arg(seconds, 0, 'f', 1)
            .arg(made / std::max(seconds, 0.001), 0, 'f', 1)
            .arg(mJob.combined.isEmpty() ? QStringLiteral("one file each in %1").arg(mJob.folder)
                 : joined                ? QStringLiteral("one page each in %1").arg(mJob.combined)
                          : QStringLiteral("but %1 was not made").arg(mJob.combined));
    if (!mJob.kept.empty())
        line += QStringLiteral(" Kept %1 that existed already.").arg(mJob.kept.size());
    return line;
}

int ListRunner::finish(Clock::time_point start) {
    if (mShared != Shared::Ready && ProgramEnding()) {
        mConsole.error(QStringLiteral("stopped; nothing was made"));
        return SomeFailed;
    }
    if (mShared == Shared::NoEngine) {
        const StartFailure failure = EngineStartFailure(mSharedFailure);
        mConsole.error(failure.noRoom ? failure.message + QStringLiteral("; nothing was made")
                                      : failure.message);
        return failure.noRoom ? SomeFailed : NoEngine;
    }
    if (mShared == Shared::Unopenable && !mJob.templateName.isEmpty()) {
        mConsole.error(QStringLiteral("%1 cannot be opened: %2; nothing was made")
                           .arg(mJob.templateName, mSharedFailure));
        return BadUsage;
    }
    if (mShared == Shared::Failed || mShared == Shared::Unopenable) {
        mConsole.error(QStringLiteral("nothing was made: %1").arg(mSharedFailure));
        return SomeFailed;
    }
    const int made = int(std::count(mMade.begin(), mMade.end(), 1));
    int code = made == total() ? AllMade : SomeFailed;
    // A stopped run's pages are not the list: the file asked for is not made from them.
    const bool joined = mJob.combined.isEmpty() ||
                        (made > 0 && !ProgramEnding() && !mHalted && combine() == AllMade);
    if (!joined)
        code = SomeFailed;
    if (mHalted) {
        const Recipient& recipient = mJob.list.recipients[size_t(mHaltIndex)];
        mConsole.error(QStringLiteral("stopped at recipient %1 (line %2, \"%3\"): %4")
                           .arg(mHaltIndex + 1)
                           .arg(recipient.line)
                           .arg(recipient.name(), mHaltReason));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    QString summary = summaryLine(made, seconds, joined);
    summary += QStringLiteral("\nColumns of the list: %1.").arg(DescribeColumns(mJob.list.columns));
    std::sort(mFailures.begin(), mFailures.end(),
              [](const Failure& a, const Failure& b) { return a.index < b.index; });
    for (const Failure& failure : mFailures) {
        const Recipient& recipient = mJob.list.recipients[size_t(failure.index)];
        summary += QStringLiteral("\nNot made: recipient %1 (line %2, \"%3\"): %4")
                       .arg(failure.index + 1)
                       .arg(recipient.line)
                       .arg(recipient.name(), failure.reason);
    }
    const int left = total() - made - int(mFailures.size());
    if (mHalted && mJob.combined.isEmpty())
        summary += QStringLiteral("\nStopped before %1 recipients: once there is room (or the "
                                  "folder), run the same command again with --skip-existing to "
                                  "make them and keep the %2 made.")
                       .arg(left)
                       .arg(made + int(mJob.kept.size()));
    else if (mHalted)
        summary += QStringLiteral("\nStopped before %1 recipients: once there is room, run the "
                                  "same command again.")
                       .arg(left);
    else if (left > 0)
        summary += QStringLiteral("\nStopped before %1 recipients.").arg(left);
    mConsole.summary(summary);
    return code;
}

} // namespace brindlecast::cli
