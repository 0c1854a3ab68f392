#pragma once

#include "app/Clipboard.h"
#include "app/MessageBoxes.h"
#include "app/RandomSource.h"
#include "app/SaveDialog.h"
#include "app/Shell.h"

#include <QDateTime>
#include <QStringList>
#include <deque>
#include <functional>

namespace brindlecast::fakes {

/// One message box as it was shown.
struct ShownBox {
    QString prompt;
    MsgStyle style;
    QString title; // as the user saw it: the program-wide title when none was given
};

/// Records every box and answers from a queue (OK, or the style's first answer, when empty).
class FakeMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    std::vector<ShownBox> shown;
    std::deque<MsgAnswer> answers;
    /// Runs while the box is "open", like the nested event loop of a real box.
    std::function<void(const ShownBox&)> whileOpen;
};

/// Answers ShowSave with queued paths (empty = cancelled) and filter entries (none queued:
/// the one selected on opening), and records its settings.
class FakeSaveDialog final : public SaveDialog {
public:
    void ShowSave() override;
    std::deque<QString> answers;
    std::deque<int> filterAnswers;
    struct Shown {
        QString fileName, dialogTitle, filter;
        int filterIndex;
    };
    std::vector<Shown> shown;
};

/// An in-process clipboard that can pretend to be busy for a number of requests.
class FakeClipboard final : public Clipboard {
public:
    void setPicture(const QImage& picture) override { mPicture = picture; }
    std::optional<QImage> picture(int format) override;
    int busyRequests = 0;
    int requests = 0;

private:
    std::optional<QImage> mPicture;
};

class FakeShell final : public Shell {
public:
    void openUrl(const QString& url) override { opened << url; }
    QStringList opened;
};

/// Draws the queued fractions in turn, then a fixed sequence.
class FakeRandom final : public RandomSource {
public:
    void randomize() override { ++reseeds; }
    double next() override;
    std::deque<double> fractions;
    int reseeds = 0;

private:
    double mLast = 0.0;
};

} // namespace brindlecast::fakes
