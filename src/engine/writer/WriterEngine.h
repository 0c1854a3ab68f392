#pragma once

#include "engine/Engine.h"
#include "engine/Workbook.h"

#include <QString>
#include <chrono>
#include <memory>

namespace brindlecast {
class Clipboard;
}

// The engine on LibreOffice Writer, driven over its UNO bridge: one private office process per
// engine object, started on first use and kept for the engine's lifetime.
namespace brindlecast::engine::writer {

struct WriterEngineOptions {
    /// The office's program itself (not its start script).
    QString officeProgram = QStringLiteral("/usr/lib/libreoffice/program/soffice.bin");
    /// How long a start may take before it counts as failed.
    std::chrono::milliseconds startTimeout{60000};
};

/// Like the automation it stands for, an engine and its sessions serve one thread at a time.
class WriterEngine final : public Engine {
public:
    /// `clipboard` receives the page pictures and must outlive the engine and its sessions.
    explicit WriterEngine(Clipboard& clipboard, PictureSize pictureSize = {},
                          WriterEngineOptions options = {});
    /// Ends the office process (and everything in its process group) and removes its files.
    ~WriterEngine() override;
    WriterEngine(const WriterEngine&) = delete;
    WriterEngine& operator=(const WriterEngine&) = delete;

    /// Starts the office process when none runs (also after it died) and opens a session on it.
    std::unique_ptr<Application> createApplication() override;
    /// A session on the same office process that reads workbooks with its spreadsheet part.
    std::unique_ptr<Spreadsheets> createSpreadsheets() override;
    /// Kills the office process and everything in its process group.
    void stop() noexcept override;

    /// The office process's id; 0 before the first start.
    qint64 processId() const;

private:
    struct State;
    /// Starts the office process when none runs (also after it died or was stopped).
    void requireOffice();

    std::unique_ptr<State> mState;
};

/// Writes `document` with the office's export filter `filterName` (such as "MS Word 97 Vorlage"
/// for a Word template), protected by `password` when one is given. The document must come
/// from a WriterEngine.
void exportDocument(Document& document, const QString& path, const QString& filterName,
                    const QString& password = {});

/// The text of `range` as it is now in the document, read afresh: each paragraph ends with
/// '\n', and fields and other objects are U+FFFC. The range must come from a WriterEngine.
QString rangeText(Range& range);

} // namespace brindlecast::engine::writer
