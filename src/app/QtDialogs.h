#pragma once

#include "MessageBoxes.h"
#include "SaveDialog.h"

class QWidget;

namespace brindlecast {

/// Message boxes as QMessageBox, parented to the active window.
class QtMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
};

/// The save dialog as QFileDialog: no overwrite question of its own and no default suffix.
class QtSaveDialog final : public SaveDialog {
public:
    void ShowSave() override;
};

} // namespace brindlecast
