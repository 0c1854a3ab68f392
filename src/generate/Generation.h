#pragma once

#include "app/FileLock.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <optional>

namespace brindlecast {

class Clipboard;
class MessageBoxes;
class RandomSource;
class Trap;
namespace engine {
class Application;
class Document;
class Engine;
} // namespace engine

/// What a generation run reads from the main window. Values are read afresh for every call,
/// as the window may process events (and the user type) while an error box is open.
struct GenerationInput {
    int look = 1;
    std::function<QString(int index)> fieldText;
    std::function<QDateTime()> issueDate;
};

/// What a run leaves for the hand-over to the preview.
struct GenerationOutcome {
    /// The saved working document; empty when the run could not save one.
    QString workingDocument;
    /// True when the preview bitmap was written in this run.
    bool pictureMade = false;
    /// This instance's turn on the working files, held from writing the template on and kept
    /// when there is a working document to hand over: the hand-over deletes the preview bitmap
    /// before dropping it, and it must go before the next run.
    FileLock runLock;
    /// Marks the working document as this live instance's; the preview takes it over with the
    /// document and gives it up once it has deleted the document.
    FileLock documentLock;
};

/// The generation run from extraction to the preview bitmap, on the engine interface, with the
/// error boxes of the main window's "Start Creating Template" handler.
class Generation {
public:
    /// `whileWaiting` lets the window's events through before the template is written and
    /// while the run waits for another instance's; it may throw to end the run there.
    Generation(engine::Engine& engine, MessageBoxes& boxes, Clipboard& clipboard,
               RandomSource& random, std::function<void()> whileWaiting);

    /// Extraction, the three replacement passes, saving the working document, and the preview
    /// bitmap. A failure shows one error box; engine steps after an engine failure are skipped
    /// rather than each reporting again.
    GenerationOutcome run(const GenerationInput& input);

    /// Renders the working document's first page to the preview bitmap through a second engine
    /// session and the clipboard. Returns true when the bitmap was written.
    bool SaveDocAsJPG(const QString& wordFile);

    /// How long a run waits for another instance's run before it gives up with a box (two
    /// minutes unless set).
    void setLockPatience(std::chrono::milliseconds patience) { mLockPatience = patience; }

private:
    /// Shows why and returns true when a value is too long to make a newsletter of.
    bool refuseOverlongValue(const GenerationInput& input);
    bool takeTurn(Trap& trap, FileLock& runLock);
    QString saveWorkingDocument(Trap& trap, engine::Document& document, FileLock& documentLock,
                                std::optional<QTemporaryDir>& scratch);

    engine::Engine& mEngine;
    MessageBoxes& mBoxes;
    Clipboard& mClipboard;
    RandomSource& mRandom;
    std::function<void()> mWhileWaiting;
    std::chrono::milliseconds mLockPatience{std::chrono::minutes(2)};
};

/// Why a value of `length` characters in `field` is refused.
QString OverlongValueMessage(int field, int length);
/// Why a value of `length` characters of the name `name` (a column, a value given by name) is
/// refused: the same limit as a field's.
QString OverlongNamedValueMessage(const QString& name, int length);

} // namespace brindlecast
