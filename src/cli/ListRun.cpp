#include "ListRun.h"

#include "Console.h"
#include "EngineSlot.h"
#include "MakeCommand.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "engine/SaveFormats.h"
#include "generate/Generation.h"
#include "generate/MakeNewsletter.h"
#include "generate/SaveCopy.h"
#include "newsletter/DateTexts.h"
#include "newsletter/RecipientFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace brindlecast::cli {

namespace {

using Clock = std::chrono::steady_clock;

struct Failure {
    int index;
    QString reason;
};

class ListRunner {
public:
    ListRunner(const ListJob& job, Console& console, const QString& scratch)
        : mJob(job)
        , mConsole(console)
        , mScratch(scratch)
        , mMade(job.list.recipients.size()) {}

    int run();

private:
    enum class Shared { Pending, Ready, NoEngine, Failed };

    void work(EngineSlot& slot, bool first);
    void prepareShared(EngineSlot& slot);
    void makeOne(EngineSlot& slot, int index);
    QString madePath(int index) const;
    int total() const { return int(mJob.list.recipients.size()); }
    int combine();
    int finish(Clock::time_point start);

    const ListJob& mJob;
    Console& mConsole;
    QString mScratch;
    std::atomic<int> mNext{0};
    std::atomic<int> mDone{0};
    int mWorking = 0; // worker threads not yet finished
    std::mutex mMutex;
    std::condition_variable mChanged;
    Shared mShared = Shared::Pending;
    QString mSharedFailure;
    std::vector<char> mMade;
    std::vector<Failure> mFailures;
};

QString ListRunner::madePath(int index) const {
    const engine::SaveFormat format =
        mJob.combined.isEmpty() ? mJob.format : engine::SaveFormat::Pdf;
    return QStringLiteral("%1/%2%3")
        .arg(mScratch)
        .arg(index, 6, 10, QLatin1Char('0'))
        .arg(engine::SaveExtension(format));
}

void ListRunner::prepareShared(EngineSlot& slot) {
    const QString templatePath = mScratch + QStringLiteral("/template.dot");
    WriteFreshFile(templatePath, mJob.templateBytes);
    const auto value = [this](int index) {
        return DocumentValue(mJob.values.fields[size_t(index)]);
    };
    MakeNewsletterFile(slot.engine,
                       {templatePath, SharedFields, value, std::nullopt, value(TitleField),
                        mScratch + QStringLiteral("/shared.doc"), engine::SaveFormat::Doc});
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
        for (int index = mNext++; index < total() && !ProgramEnding(); index = mNext++) {
            makeOne(slot, index);
            ++mDone;
        }
    }
    std::lock_guard lock(mMutex);
    --mWorking;
    mChanged.notify_all();
}

void ListRunner::makeOne(EngineSlot& slot, int index) {
    const Recipient& recipient = mJob.list.recipients[size_t(index)];
    const auto typed = [&](int field) {
        if (field >= FirstRecipientField && field < FirstRecipientField + RecipientFieldCount)
            return recipient.values[size_t(field - FirstRecipientField)];
        return mJob.values.fields[size_t(field)];
    };
    try {
        if (const auto overlong = OverlongField(typed))
            throw std::runtime_error(
                OverlongValueMessage(*overlong, int(typed(*overlong).size())).toStdString());
        const QString made = madePath(index);
        MakeNewsletterFile(slot.engine,
                           {mScratch + QStringLiteral("/shared.doc"), RecipientFields,
                            [&](int field) { return DocumentValue(typed(field)); },
                            IssueDateText(mJob.values.issueDate.date()), std::nullopt, made,
                            mJob.combined.isEmpty() ? mJob.format : engine::SaveFormat::Pdf});
        if (mJob.combined.isEmpty()) {
            SaveCopy(made, RecipientOutput(mJob, index));
            QFile::remove(made);
        }
        std::lock_guard lock(mMutex);
        mMade[size_t(index)] = 1;
    } catch (const std::exception& error) {
        std::lock_guard lock(mMutex);
        mFailures.push_back({index, QString::fromLocal8Bit(error.what()).simplified()});
    }
}

int ListRunner::run() {
    const auto start = Clock::now();
    std::list<EngineSlot> engineSlots;
    std::vector<std::thread> workers;
    const int engines = std::max(1, mJob.engines);
    mWorking = engines;
    for (int i = 0; i < engines; ++i) {
        EngineSlot& slot = engineSlots.emplace_back();
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
        QCoreApplication::processEvents();
        if (ready)
            mConsole.progress(mDone, total(), Clock::now() - start);
    }
    for (std::thread& worker : workers)
        worker.join();
    mConsole.endProgress();
    return finish(start);
}

int ListRunner::combine() {
    // The pages go in a file of arguments: a long list's names would not fit on a command line.
    QByteArray pages = "--empty\n--pages\n";
    for (int index = 0; index < total(); ++index)
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
    // qpdf's exit code 3 means it succeeded with warnings.
    if (!qpdf.waitForFinished(-1) || qpdf.exitStatus() != QProcess::NormalExit ||
        (qpdf.exitCode() != 0 && qpdf.exitCode() != 3)) {
        mConsole.error(
            QStringLiteral("cannot join the pages into %1: %2")
                .arg(mJob.combined, QString::fromLocal8Bit(qpdf.readAllStandardError()).trimmed()));
        return SomeFailed;
    }
    try {
        SaveCopy(joined, mJob.combined);
    } catch (const std::exception& error) {
        mConsole.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
    return AllMade;
}

int ListRunner::finish(Clock::time_point start) {
    if (mShared != Shared::Ready && ProgramEnding()) {
        mConsole.error(QStringLiteral("stopped; nothing was made"));
        return SomeFailed;
    }
    if (mShared == Shared::NoEngine) {
        mConsole.error(WordMissingAdvice(mSharedFailure).replace(QLatin1String("\r\n"), "\n"));
        return NoEngine;
    }
    if (mShared == Shared::Failed) {
        mConsole.error(QStringLiteral("nothing was made: %1").arg(mSharedFailure));
        return SomeFailed;
    }
    const int made = int(std::count(mMade.begin(), mMade.end(), 1));
    int code = made == total() ? AllMade : SomeFailed;
    // A stopped run's pages are not the list: the file asked for is not made from them.
    const bool joined =
        mJob.combined.isEmpty() || (made > 0 && !ProgramEnding() && combine() == AllMade);
    if (!joined)
        code = SomeFailed;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    QString summary =
        QStringLiteral("Made %1 of %2 newsletters in %3 s (%4 per second), %5.")
            .arg(made)
            .arg(total())
            .arg(seconds, 0, 'f', 1)
            .arg(made / std::max(seconds, 0.001), 0, 'f', 1)
            .arg(mJob.combined.isEmpty() ? QStringLiteral("one file each in %1").arg(mJob.folder)
                 : joined                ? QStringLiteral("one page each in %1").arg(mJob.combined)
                          : QStringLiteral("but %1 was not made").arg(mJob.combined));
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
    if (made + int(mFailures.size()) < total())
        summary += QStringLiteral("\nStopped before %1 recipients.")
                       .arg(total() - made - int(mFailures.size()));
    mConsole.summary(summary);
    return code;
}

} // namespace

QString RecipientOutput(const ListJob& job, int index) {
    const Recipient& recipient = job.list.recipients[size_t(index)];
    return QDir(job.folder)
        .filePath(RecipientFileName(index + 1, int(job.list.recipients.size()), recipient.name(),
                                    engine::SaveExtension(job.format)));
}

int RunList(const ListJob& job, Console& console) {
    const QTemporaryDir scratch(TempFolder() + QStringLiteral("/brindlecast-list-XXXXXX"));
    if (!scratch.isValid()) {
        console.error(QStringLiteral("no working folder can be made in %1").arg(TempFolder()));
        return SomeFailed;
    }
    return ListRunner(job, console, scratch.path()).run();
}

} // namespace brindlecast::cli
