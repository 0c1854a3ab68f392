#include "Form2.h"
#include "SaveCopy.h"
#include "app/ErrorTrap.h"
#include "app/FileHelpers.h"
#include "app/Platform.h"
#include "app/Services.h"

namespace brindlecast {

void Form2::PushButton6_Click() {
    Trap trap{mServices.boxes, QStringLiteral("Form2"), QStringLiteral("PushButton6_Click")};
    SaveDialog& dialog = mServices.saveDialog;
    QString path;
    int answer = 0;
    trap.step(10, [&] { dialog.FileName = QString(); });
    trap.step(20, [&] { dialog.DialogTitle = QStringLiteral("Save File"); });
    trap.step(30, [&] { dialog.Filter = QStringLiteral("Word Files (*.doc)|*.doc"); });
    trap.step(40, [&] { dialog.ShowSave(); });
    trap.step(50, [&] { path = dialog.FileName; });
    if (!path.isEmpty()) {
        trap.step(60, [&] {
            answer =
                FileExists(path)
                    ? mServices.boxes.MsgBox(QStringLiteral("Are you sure you wish to overwrite ") +
                                                 path + QStringLiteral(" ?"),
                                             MsgStyle::YesNo)
                    : MsgAnswer::Yes;
        });
    }
    if (answer == MsgAnswer::Yes) {
        // The existing file is replaced only by a complete copy, never deleted beforehand: a
        // copy that fails leaves the user's file as it was, and "Done." would be a lie.
        if (!trap.step(70, [&] { SaveCopy(mWordFile, path); }))
            return;
    }
    trap.step(80, [&] { mServices.boxes.MsgBox(QStringLiteral("Done."), MsgStyle::OkOnly); });
}

} // namespace brindlecast
