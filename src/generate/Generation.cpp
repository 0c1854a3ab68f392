#include "Generation.h"

#include "FillPasses.h"
#include "TemplateStore.h"
#include "WorkingFiles.h"
#include "app/ErrorTrap.h"
#include "app/FileHelpers.h"
#include "app/MessageBoxes.h"
#include "engine/Engine.h"
#include "newsletter/DateTexts.h"
#include "newsletter/FieldTable.h"

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

namespace brindlecast {

namespace {

const QString Form = QStringLiteral("Form1");

} // namespace

Generation::Generation(engine::Engine& engine, MessageBoxes& boxes, Clipboard& clipboard,
                       RandomSource& random, std::function<void()> whileWaiting)
    : mEngine(engine)
    , mBoxes(boxes)
    , mClipboard(clipboard)
    , mRandom(random)
    , mWhileWaiting(std::move(whileWaiting)) {}

GenerationOutcome Generation::run(const GenerationInput& input) {
    Trap trap{mBoxes, Form, QStringLiteral("PushButton6_Click")};
    GenerationOutcome outcome;
    const auto value = [&](int index) { return DocumentValue(input.fieldText(index)); };
    const auto issueDate = [&] { return IssueDateText(input.issueDate().date()); };
    if (refuseOverlongValue(input))
        return outcome;

    // Extraction: the template is always written afresh, so a left-over or planted file at the
    // path is never what the engine opens.
    QByteArray templateBytes;
    if (!trap.step(40,
                   [&] { templateBytes = LoadTemplateResource(TemplateResourceId(input.look)); }))
        return outcome;
    if (!takeTurn(trap, outcome.runLock))
        return outcome;
    const QString templatePath = TemplatePath();
    if (!trap.step(50, [&] {
            mWhileWaiting();
            WriteFreshFile(templatePath, templateBytes);
        })) {
        outcome.runLock.release();
        return outcome;
    }
    // The fields took input while the run waited its turn; from here on the engine's waits let
    // none through, so this is what the engine gets.
    if (refuseOverlongValue(input)) {
        DeleteFileQuietly(templatePath);
        outcome.runLock.release();
        return outcome;
    }

    // Where the engine saves: it holds the file open until the document is closed, so the
    // folder goes only once the engine has quit.
    std::optional<QTemporaryDir> scratch;
    std::unique_ptr<engine::Application> application;
    engine::Document* document = nullptr;
    bool ok = trap.step(60, [&] { application = mEngine.createApplication(); }) &&
              trap.step(70, [&] { document = &application->open(templatePath, true); });

    ok = ok && trap.step(80, [&] { StoryPass(*document, value); });
    ok = ok && trap.step(90, [&] { IssueDatePass(*application, issueDate()); });
    ok = ok && trap.step(100, [&] { ShapePass(*document, value, issueDate()); });
    // The working document carries the title, so every format made from it later has it too;
    // a title that cannot be set is said, and the newsletter is made without it.
    if (ok)
        trap.step(110, [&] { document->setTitle(value(TitleField)); });
    if (ok)
        outcome.workingDocument =
            saveWorkingDocument(trap, *document, outcome.documentLock, scratch);
    if (ok && !outcome.workingDocument.isEmpty()) {
        trap.step(130, [&] { application->setDisplayAlerts(false); });
        trap.step(140, [&] { document->close(); });
    } else if (document) {
        // Left half filled, the template would make Word ask whether to save it as it quits,
        // in a window nobody sees, until the time limit ended it.
        try {
            document->closeWithoutSaving();
        } catch (...) {
        }
    }
    document = nullptr;
    engine::QuitQuietly(application);
    scratch.reset();
    DeleteFileQuietly(templatePath);

    if (!outcome.workingDocument.isEmpty())
        outcome.pictureMade = SaveDocAsJPG(outcome.workingDocument);
    else
        outcome.runLock.release(); // nothing to hand over
    return outcome;
}

bool Generation::refuseOverlongValue(const GenerationInput& input) {
    const std::optional<int> field = OverlongField(input.fieldText);
    if (!field)
        return false;
    mBoxes.MsgBox(OverlongValueMessage(*field, int(input.fieldText(*field).size())),
                  MsgStyle::Exclamation);
    return true;
}

QString OverlongValueMessage(int field, int length) {
    const QLocale locale;
    return QStringLiteral("The field \"%1\" holds %2 characters, more than a newsletter can "
                          "show: a field may hold up to %3.\r\n\r\nPlease shorten it and try "
                          "again.")
        .arg(FieldName(field), locale.toString(length), locale.toString(MaxValueLength));
}

QString OverlongNamedValueMessage(const QString& name, int length) {
    const QLocale locale;
    return QStringLiteral("the value of [%1] holds %2 characters, more than a newsletter can "
                          "show: a value may hold up to %3")
        .arg(name, locale.toString(length), locale.toString(MaxValueLength));
}

bool Generation::takeTurn(Trap& trap, FileLock& runLock) {
    // The template, the picture and the working documents' names are fixed paths in TEMP: two
    // instances sharing it take turns, waiting with the window's events let through.
    if (!trap.step(45,
                   [&] { runLock = LockFileWithin(RunLockPath(), mLockPatience, mWhileWaiting); }))
        return false;
    if (!runLock.held())
        mBoxes.MsgBox(QStringLiteral("Another copy of Brindlecast is making a newsletter and has "
                                     "not finished after %1 seconds.\r\n\r\nPlease try again "
                                     "when it has finished.")
                          .arg(std::chrono::ceil<std::chrono::seconds>(mLockPatience).count()),
                      MsgStyle::Exclamation);
    return runLock.held();
}

QString Generation::saveWorkingDocument(Trap& trap, engine::Document& document,
                                        FileLock& documentLock,
                                        std::optional<QTemporaryDir>& scratch) {
    QString path;
    trap.step(120, [&] {
        // The engine writes into a folder private to this run; the working document itself is
        // then created afresh by us, so nothing planted at its path is followed or reused.
        scratch.emplace(TempFolder() + QStringLiteral("/brindlecast-XXXXXX"));
        if (!scratch->isValid())
            throw std::runtime_error(QStringLiteral("Cannot create a working folder in %1")
                                         .arg(TempFolder())
                                         .toStdString());
        const QString draft = scratch->filePath(QStringLiteral("newsletter.doc"));
        document.saveAs(draft);
        QFile saved(draft);
        if (!saved.open(QIODevice::ReadOnly))
            throw std::runtime_error(
                QStringLiteral("The document engine did not save the newsletter").toStdString());
        const QByteArray bytes = saved.readAll();
        const QString target = WorkingDocumentPath(TempFolder(), mRandom);
        // Locked from its creation on: a start-up of another instance removes only working
        // documents whose owner is gone.
        documentLock = CreateLockedFile(target, bytes);
        path = target;
    });
    return path;
}

bool Generation::SaveDocAsJPG(const QString& wordFile) {
    Trap trap{mBoxes, Form, QStringLiteral("SaveDocAsJPG")};
    std::unique_ptr<engine::Application> application;
    engine::Document* document = nullptr;
    QImage picture;
    bool ok = trap.step(10, [&] { application = mEngine.createApplication(); }) &&
              trap.step(20, [&] { document = &application->open(wordFile, false); }) &&
              trap.step(30, [&] { document->range().copyAsPicture(); });
    ok = ok && trap.step(40, [&] {
        picture = GetClipboardPicture(mClipboard, 0);
        if (picture.isNull())
            throw std::runtime_error("The clipboard holds no picture of the newsletter");
    });
    ok = ok && trap.step(50, [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "BMP"))
            throw std::runtime_error("Cannot convert the preview picture");
        WriteFreshFile(PreviewBitmapPath(), bytes);
    });
    if (document)
        trap.step(60, [&] { application->activeDocument().closeWithoutSaving(); });
    engine::QuitQuietly(application);
    return ok;
}

} // namespace brindlecast
