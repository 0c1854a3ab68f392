#pragma once

#include "engine/Engine.h"

#include <QSize>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace brindlecast {
class Clipboard;
}

namespace brindlecast::fakes {

/// The stories and shape texts of a document as the fake engine keeps them. Story 0 is the
/// main text; an empty shape text is a shape without text.
struct FakeDocumentModel {
    std::vector<QString> stories;
    std::vector<QString> shapes;
    /// Each story's number as Word's StoryType; when missing, 1 (main text) for story 0 and 7
    /// (primary header) for the others.
    std::vector<int> storyTypes = {};
    /// Each story's tables' texts (a part of its text); none when missing.
    std::vector<std::vector<QString>> storyTables = {};
};

/// A recording engine for testing our own logic: documents are plain texts, find-and-replace is
/// literal and case-insensitive like the real back-end, saved files are a small text format of
/// its own. Every call is logged; `onCall` may throw to make any call fail.
class FakeEngine final : public engine::Engine {
public:
    explicit FakeEngine(Clipboard& clipboard)
        : mClipboard(clipboard) {}

    std::unique_ptr<engine::Application> createApplication() override;
    /// Records the stop; a call that `onCall` holds up can wait for it.
    void stop() noexcept override {
        ++stops;
        stopped = true;
    }
    std::atomic<bool> stopped{false};
    std::atomic<int> stops{0};
    /// What stopNote() says once the engine was stopped.
    QString noteAtStop;
    QString stopNote() const override { return stopped ? noteAtStop : QString(); }

    /// What a file that the fake did not save opens as (a template, say).
    FakeDocumentModel templateModel{{QStringLiteral("[NLTITLE]")}, {}};
    /// The calls made, in order ("create", "open <path> ro", "story 0 [NLTITLE]=value",
    /// "setTitle <title>", "saveAs <format number>", ...).
    QStringList log;
    /// Called with each log entry before the call takes effect; throw to fail the call.
    std::function<void(const QString& call)> onCall;
    /// The bytes of every file opened that the fake had not saved itself.
    std::vector<QByteArray> openedForeignFiles;
    /// The picture copyAsPicture puts on the clipboard.
    QSize pictureSize{1160, 1500};
    int pictureDpi = 192;
    int liveApplications = 0;

    /// Reads a file the fake saved; nothing when it is not one.
    static std::optional<FakeDocumentModel> readSaved(const QString& path);

    void record(const QString& call);
    Clipboard& clipboard() { return mClipboard; }

private:
    Clipboard& mClipboard;
};

} // namespace brindlecast::fakes
