#pragma once

#include "cli/MakeCommand.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

namespace brindlecast::cli {
struct EngineSlot;
struct ListJob;
class SingleNewsletters;
} // namespace brindlecast::cli

namespace brindlecast {

class SilentConsole;

/// The mail merge window's own engine, on a thread of its own so that the window never waits
/// for it: it reads the list and the template as a list run would, then makes one recipient's
/// newsletter at a time and hands back a picture of its first page. Requests are served in
/// order; a preview asked for while a newer one waits is skipped.
class MergeEngine : public QObject {
    Q_OBJECT
public:
    MergeEngine();
    ~MergeEngine() override;

    /// The ticket of the newest preview asked for; any thread.
    int newestTicket() const { return mNewest.load(); }
    /// Asks for a preview: returns its ticket, which makes every older one stale. Any thread.
    int nextTicket() { return ++mNewest; }
    /// Ends the engine's office at once, failing the request under way. Any thread.
    void stopNow() noexcept;

public slots:
    /// Reads what `options` name (the list, its sheet, the template): emits `loaded` or
    /// `loadFailed`. Earlier previews' work is let go.
    void load(const brindlecast::cli::MakeOptions& options);
    /// Makes recipient `index`'s newsletter and emits `previewed`, unless a newer ticket came.
    void preview(int index, int ticket);

signals:
    void loaded(std::shared_ptr<const brindlecast::cli::ListJob> job);
    void loadFailed(const QString& message);
    /// `picture` is null when it could not be made; `problem` then says why.
    void previewed(int index, int ticket, const QImage& picture, const QString& problem);

private:
    QImage picture(int index);

    std::unique_ptr<cli::EngineSlot> mSlot;
    std::unique_ptr<SilentConsole> mConsole;
    std::shared_ptr<const cli::ListJob> mJob;
    std::unique_ptr<cli::SingleNewsletters> mMaker;
    std::atomic<int> mNewest{0};
};

} // namespace brindlecast
