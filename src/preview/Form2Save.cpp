#include "Form2.h"
#include "SaveTarget.h"
#include "app/ErrorTrap.h"
#include "app/FileHelpers.h"
#include "app/SaveDialog.h"
#include "app/Services.h"
#include "app/WindowPointer.h"
#include "generate/SaveCopy.h"

#include <QFileInfo>

namespace brindlecast {

namespace {

// Any spelling of the path (a link, "..", a doubled slash) counts.
bool samePlace(const QString& path, const QString& other) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

// Shows the hourglass for as long as it lives, and then what was there before.
class Hourglass {
public:
    explicit Hourglass(WindowPointer& pointer)
        : mPointer(pointer)
        , mBefore(pointer.MousePointer()) {
        mPointer.setMousePointer(Pointer::Hourglass);
    }
    ~Hourglass() { mPointer.setMousePointer(mBefore); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    WindowPointer& mPointer;
    Pointer mBefore;
};

} // namespace

void Form2::PushButton6_Click() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("PushButton6_Click")};
    SaveDialog& dialog = mServices.saveDialog;
    QString path;
    SaveTarget target;
    // Only Yes saves: a cancelled dialog or a question that failed counts as No.
    MsgAnswer answer = MsgAnswer::No;
    trap.step(10, [&] { dialog.FileName = QString(); });
    trap.step(20, [&] { dialog.DialogTitle = QStringLiteral("Save File"); });
    trap.step(30, [&] { dialog.Filter = QString::fromLatin1(SaveFilter); });
    trap.step(35, [&] { dialog.FilterIndex = 1; });
    trap.step(40, [&] { dialog.ShowSave(); });
    trap.step(50, [&] { path = dialog.FileName; });
    if (!path.isEmpty()) {
        trap.step(55, [&] { target = ChooseSaveTarget(path, dialog.FilterIndex); });
        // The working document goes when the preview does: a newsletter "saved" onto it would
        // be lost with it, and no overwrite question would warn of that.
        bool refused = false;
        trap.step(58, [&] {
            refused = samePlace(target.path, mWordFile);
            if (refused)
                mServices.boxes.MsgBox(
                    target.path +
                        QStringLiteral(" is the preview's temporary copy of the newsletter, which "
                                       "is deleted when you go back or close the preview. Please "
                                       "choose another place to save the newsletter."),
                    MsgStyle::OkOnly);
        });
        if (refused)
            return;
        trap.step(60, [&] {
            answer =
                FileExists(target.path)
                    ? mServices.boxes.MsgBox(QStringLiteral("Are you sure you wish to overwrite ") +
                                                 target.path + QStringLiteral(" ?"),
                                             MsgStyle::YesNo)
                    : MsgAnswer::Yes;
        });
    }
    if (answer == MsgAnswer::Yes) {
        // The existing file is replaced only by a complete copy, never deleted beforehand: a
        // copy that fails leaves the user's file as it was, and "Done." would be a lie.
        if (!trap.step(70, [&] {
                if (target.format == engine::SaveFormat::Doc) {
                    SaveCopy(mWordFile, target.path);
                } else {
                    const Hourglass hourglass(*mPointer);
                    SaveConverted(mServices.engine, mWordFile, target.path, target.format);
                }
            }))
            return;
    }
    trap.step(80, [&] { mServices.boxes.MsgBox(QStringLiteral("Done."), MsgStyle::OkOnly); });
}

} // namespace brindlecast
