#include "Console.h"
#include "EngineSlot.h"
#include "ListRunner.h"
#include "MakeCommand.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "engine/SaveFormats.h"
#include "generate/Generation.h"
#include "generate/ListFolders.h"
#include "generate/MakeNewsletter.h"
#include "generate/SaveCopy.h"
#include "newsletter/DateTexts.h"
#include "newsletter/RecipientFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <list>
#include <thread>

namespace brindlecast::cli {

ListRunner::ListRunner(const ListJob& job, Console& console, const QString& scratch)
    : mJob(job)
    , mConsole(console)
    , mScratch(scratch)
    , mMade(job.list.recipients.size()) {
    std::vector<char> kept(job.list.recipients.size());
    for (const int index : job.kept)
        kept[size_t(index)] = 1;
    for (int index = 0; index < int(kept.size()); ++index)
        if (!kept[size_t(index)])
            mTodo.push_back(index);
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

void ListRunner::prepareShared(EngineSlot& slot) {
    const QString templatePath = mScratch + QStringLiteral("/template") + mJob.templateSuffix;
    WriteFreshFile(templatePath, mJob.templateBytes);
    const auto value = [this](int index) {
        return DocumentValue(mJob.values.fields[size_t(index)]);
    };
    MakeNewsletterFile(slot.engine,
                       {templatePath, SharedFields, value, std::nullopt, value(TitleField),
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
        for (int next = mNext++; next < total() && !ProgramEnding() && !mHalted; next = mNext++) {
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

void ListRunner::halt(int index, const QString& reason) {
    std::lock_guard lock(mMutex);
    if (!mHalted || index < mHaltIndex) {
        mHaltIndex = index;
        mHaltReason = reason;
    }
    mHalted = true;
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
                           {sharedPath(), RecipientFields,
                            [&](int field) { return DocumentValue(typed(field)); },
                            IssueDateText(mJob.values.issueDate.date()), std::nullopt, made,
                            mJob.combined.isEmpty() ? mJob.format : engine::SaveFormat::Pdf});
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

QString RecipientOutput(const ListJob& job, int index) {
    const Recipient& recipient = job.list.recipients[size_t(index)];
    return QDir(job.folder)
        .filePath(RecipientFileName(index + 1, int(job.list.recipients.size()), recipient.name(),
                                    engine::SaveExtension(job.format)));
}

int RunList(const ListJob& job, Console& console) {
    ListFolder scratch;
    try {
        scratch = MakeListFolder(TempFolder());
    } catch (const std::exception& error) {
        console.error(QString::fromLocal8Bit(error.what()));
        return SomeFailed;
    }
    const int code = ListRunner(job, console, scratch.path).run();
    // Given up first, so that the folder goes whole, its owner file with it.
    scratch.owner.release();
    QDir(scratch.path).removeRecursively();
    return code;
}

} // namespace brindlecast::cli
