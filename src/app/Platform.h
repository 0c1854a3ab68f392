#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace brindlecast {

/// The clipboard's picture slot.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setPicture(const QImage& picture) = 0;
    /// The clipboard's picture in `format` (0: whatever picture it holds); nothing when the
    /// clipboard holds no picture or cannot be read right now.
    virtual std::optional<QImage> picture(int format) = 0;
};

/// Starts outside programs without waiting for them.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString& url) = 0;
};

/// A source of random fractions in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    /// Re-seeds the generator from the time of day (seconds since midnight).
    virtual void randomize() = 0;
    virtual double next() = 0;
};

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
