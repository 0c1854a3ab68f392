#include "ListRunner.h"

#include "Console.h"
#include "EngineSlot.h"
#include "MakeCommand.h"
#include "MakeSteps.h"
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "engine/SaveFormats.h"
#include "generate/Generation.h"
#include "generate/ListFolders.h"
#include "generate/MakeNewsletter.h"
#include "generate/SaveCopy.h"
#include "generate/TemplateNames.h"
#include "generate/WholeDocument.h"
#include "newsletter/DateTexts.h"
#include "newsletter/RecipientFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <algorithm>
#include <list>
#include <thread>

namespace brindlecast::cli {

ListRunner::ListRunner(const ListJob& job, Console& console, const QString& scratch,
                       EngineSlot* started)
    : mJob(job)
    , mConsole(console)
    , mScratch(scratch)
    , mStarted(started)
    , mMade(job.list.recipients.size()) {
    for (const int index : job.chosen)
        if (std::find(job.kept.begin(), job.kept.end(), index) == job.kept.end())
            mTodo.push_back(index);
}

FieldSpan ListRunner::recipientFields() const {
    FieldSpan span{0, FieldCount - 1, 0};
    for (int field = 0; field < FirstRecipientField; ++field)
        if (std::find(mJob.columnFields.begin(), mJob.columnFields.end(), field) ==
            mJob.columnFields.end())
            span.later |= 1u << field;
    return span;
}

QString ListRunner::madePath(int index) const {
    const engine::SaveFormat format =
        mJob.combined.isEmpty() ? mJob.format : engine::SaveFormat::Pdf;
    return QStringLiteral("%1/%2%3")
        .arg(mScratch)
        .arg(index, 6, 10, QLatin1Char('0'))
        .arg(engine::SaveExtension(format));
}

QString ListRunner::sharedPath() const {
    return mScratch + QStringLiteral("/shared") + engine::SaveExtension(mJob.sharedFormat);
}

bool ListRunner::hasBlocks() const {
    return mJob.templateReport && !mJob.templateReport->blocks.empty();
}

QString ListRunner::templatePath() const {
    return mScratch + QStringLiteral("/template") + mJob.templateSuffix;
}

void ListRunner::prepareShared(EngineSlot& slot) {
    WriteFreshFile(templatePath(), mJob.templateBytes);
    // The blocks go before anything is filled, so that no value is read as a marker; and what
    // they remove differs by recipient: each newsletter is then made from the template itself.
    if (hasBlocks())
        return;
    const auto value = [this](int index) {
        return DocumentValue(mJob.values.fields[size_t(index)]);
    };
    // Fields that a column fills wait for each recipient's round.
    FieldSpan shared = SharedFields;
    for (const int field : mJob.columnFields)
        shared.later |= 1u << field;
    MakeNewsletterFile(slot.engine,
                       {templatePath(), shared, value, std::nullopt, value(TitleField),
                        sharedPath(), mJob.sharedFormat, [this](const QString& reason) {
                            mConsole.error(QStringLiteral("the newsletters are made without "
                                                          "a title: %1")
                                               .arg(reason));
                        }});
}

void ListRunner::work(EngineSlot& slot, bool first) {
    Shared outcome = Shared::Ready;
    QString failure;
    try {
        slot.start();
    } catch (const std::exception& error) {
        outcome = Shared::NoEngine;
        failure = QString::fromLocal8Bit(error.what());
    }
    if (first && outcome == Shared::Ready) {
        try {
            prepareShared(slot);
        } catch (const engine::OpenError& error) {
            outcome = Shared::Unopenable;
            failure = error.reason();
        } catch (const std::exception& error) {
            outcome = Shared::Failed;
            failure = QString::fromLocal8Bit(error.what());
        }
    }
    {
        std::unique_lock lock(mMutex);
        if (first) {
            mShared = outcome;
            mSharedFailure = failure;
            mChanged.notify_all();
        }
        mChanged.wait(lock, [this] { return mShared != Shared::Pending; });
        if (mShared != Shared::Ready)
            outcome = mShared;
    }
    // An engine that would not start only leaves the others more to do.
    if (outcome == Shared::Ready) {
        for (int next = mNext++; next < total() && !stopped() && !mHalted; next = mNext++) {
            makeOne(slot, mTodo[size_t(next)]);
            ++mDone;
        }
    }
    std::lock_guard lock(mMutex);
    --mWorking;
    mChanged.notify_all();
}

QString ListRunner::scratchTrouble() const {
    if (!QFileInfo(mScratch).isDir())
        return QStringLiteral("the working folder %1 is gone").arg(mScratch);
    // A newsletter's working files take some hundred kilobytes.
    const QStorageInfo storage(mScratch);
    if (storage.isValid() && storage.bytesAvailable() >= 0 &&
        storage.bytesAvailable() < (qint64(4) << 20))
        return QStringLiteral("no room is left in the working folder %1").arg(mScratch);
    return {};
}

bool ListRunner::stopped() const {
    return ProgramEnding() || (mJob.stop && mJob.stop->load());
}

void ListRunner::halt(int index, const QString& reason) {
    std::lock_guard lock(mMutex);
    if (!mHalted || index < mHaltIndex) {
        mHaltIndex = index;
        mHaltReason = reason;
    }
    mHalted = true;
}

void ListRunner::fillOne(EngineSlot& slot, int index) {
    const MergeValues values = RecipientValues(mJob.base, mJob.list, index);
    const auto typed = [&](int field) { return values.fields[size_t(field)]; };
    if (const auto overlong = OverlongField(typed))
        throw std::runtime_error(
            OverlongValueMessage(*overlong, int(typed(*overlong).size())).toStdString());
    std::vector<NamedFill> named;
    if (mJob.templateReport)
        named = NamedFills(*mJob.templateReport, values);
    for (const NamedFill& fill : named)
        if (fill.value.size() > MaxValueLength)
            throw std::runtime_error(
                OverlongNamedValueMessage(BracketedName(fill.tag), int(fill.value.size()))
                    .toStdString());
    const bool whole = hasBlocks();
    MakeNewsletterFile(
        slot.engine,
        {whole ? templatePath() : sharedPath(), whole ? FieldSpan{} : recipientFields(),
         [&](int field) { return DocumentValue(typed(field)); }, values.issueDate,
         whole ? std::optional(DocumentValue(typed(TitleField))) : std::nullopt, madePath(index),
         mJob.combined.isEmpty() ? mJob.format : engine::SaveFormat::Pdf,
         [this](const QString& reason) {
             // Told once, after the run: the progress line belongs to the main thread.
             std::lock_guard lock(mMutex);
             mTitleFailure = reason;
         },
         named, BlockValues(mJob.templateReport ? &*mJob.templateReport : nullptr, values)});
}

void ListRunner::makeOne(EngineSlot& slot, int index) {
    try {
        fillOne(slot, index);
        const QString made = madePath(index);
        if (mJob.combined.isEmpty()) {
            SaveCopy(made, RecipientOutput(mJob, index), mJob.templateFile);
            QFile::remove(made);
        }
        std::lock_guard lock(mMutex);
        mMade[size_t(index)] = 1;
    } catch (const SaveError& error) {
        if (error.kind() != SaveError::Kind::ThisFile)
            return halt(index, QString::fromLocal8Bit(error.what()).simplified());
        std::lock_guard lock(mMutex);
        mFailures.push_back({index, QString::fromLocal8Bit(error.what()).simplified()});
    } catch (const std::exception& error) {
        const QString reason = QString::fromLocal8Bit(error.what()).simplified();
        if (const QString trouble = scratchTrouble(); !trouble.isEmpty())
            return halt(index, QStringLiteral("%1 (%2)").arg(reason, trouble));
        std::lock_guard lock(mMutex);
        mFailures.push_back({index, reason});
    }
}

int ListRunner::run() {
    const auto start = Clock::now();
    std::list<EngineSlot> engineSlots;
    std::vector<std::thread> workers;
    const int engines = std::max(1, mJob.engines);
    mWorking = engines;
    for (int i = 0; i < engines; ++i) {
        EngineSlot& slot = i == 0 && mStarted ? *mStarted : engineSlots.emplace_back();
        workers.emplace_back([this, &slot, i] { work(slot, i == 0); });
    }
    // The main thread keeps the progress line and takes termination signals.
    for (;;) {
        bool ready = false;
        {
            std::unique_lock lock(mMutex);
            if (mWorking == 0)
                break;
            mChanged.wait_for(lock, std::chrono::milliseconds(100));
            ready = mShared == Shared::Ready;
        }
        ProcessTerminationRequests();
        if (ready)
            mConsole.progress(mDone, total(), Clock::now() - start);
    }
    for (std::thread& worker : workers)
        worker.join();
    mConsole.endProgress();
    return finish(start);
}

// The end of a list run: the pages joined into one PDF when asked for, and the summary.

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
        ProcessTerminationRequests();
        if (stopped()) {
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

QString ListRunner::leftOutAndRenamed() const {
    QString text;
    for (const Duplicate& duplicate : mJob.duplicates)
        text += QStringLiteral("\nLeft out: %1 is %2 again (%3); --keep-duplicates makes both.")
                    .arg(DescribeRecipient(mJob.list, duplicate.index),
                         DescribeRecipient(mJob.list, duplicate.sameAs), duplicate.why);
    for (const ListJob::Renamed& renamed : mJob.renamed)
        text += QStringLiteral("\nRenamed: %1 gets %2, as another recipient's file is %3.")
                    .arg(DescribeRecipient(mJob.list, renamed.index),
                         mJob.fileNames[size_t(renamed.index)], renamed.wanted);
    return text;
}

int ListRunner::finish(Clock::time_point start) {
    if (mShared != Shared::Ready && stopped()) {
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
    if (!mTitleFailure.isEmpty())
        mConsole.error(
            QStringLiteral("the newsletters are made without a title: %1").arg(mTitleFailure));
    const int made = int(std::count(mMade.begin(), mMade.end(), 1));
    if (mJob.outcome)
        return handOver(made, start);
    int code = made == total() ? AllMade : SomeFailed;
    // A stopped run's pages are not the list: the file asked for is not made from them.
    const bool joined =
        mJob.combined.isEmpty() || (made > 0 && !stopped() && !mHalted && combine() == AllMade);
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
    summary += leftOutAndRenamed();
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

int ListRunner::handOver(int made, Clock::time_point start) {
    ListOutcome& outcome = *mJob.outcome;
    for (const int index : mTodo)
        if (mMade[size_t(index)])
            outcome.made.push_back(index);
    std::sort(mFailures.begin(), mFailures.end(),
              [](const Failure& a, const Failure& b) { return a.index < b.index; });
    for (const Failure& failure : mFailures)
        outcome.failed.emplace_back(failure.index, failure.reason);
    if (mHalted)
        outcome.halted = mHaltReason;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    mConsole.remark(QStringLiteral("Made %1 of %2 newsletters in %3 s.")
                        .arg(made)
                        .arg(total())
                        .arg(seconds, 0, 'f', 1));
    return made == total() ? AllMade : SomeFailed;
}

QString RecipientOutput(const ListJob& job, int index) {
    if (!job.fileNames.empty())
        return QDir(job.folder).filePath(job.fileNames[size_t(index)]);
    const Recipient& recipient = job.list.recipients[size_t(index)];
    return QDir(job.folder)
        .filePath(RecipientFileName(index + 1, int(job.list.recipients.size()), recipient.name(),
                                    engine::SaveExtension(job.format)));
}

int RunList(const ListJob& job, Console& console, EngineSlot* started) {
    ListFolder scratch;
    try {
        scratch = MakeListFolder(TempFolder());
    } catch (const std::exception& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
    const int code = ListRunner(job, console, scratch.path, started).run();
    // Given up first, so that the folder goes whole, its owner file with it.
    scratch.owner.release();
    QDir(scratch.path).removeRecursively();
    return code;
}

} // namespace brindlecast::cli
