#pragma once

#include <QString>

namespace brindlecast {

/// The common save dialog.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    QString FileName;
    QString DialogTitle;
    /// "description|pattern", pairs joined by '|' when there are several.
    QString Filter;
    /// The 1-based filter entry: selected when the dialog opens, the one chosen afterwards.
    int FilterIndex = 1;
    /// Shows the dialog; FileName holds the chosen path afterwards (empty when cancelled) and
    /// FilterIndex the chosen filter entry.
    virtual void ShowSave() = 0;
};

} // namespace brindlecast
