#pragma once

#include <QFont>
#include <QString>

class QScreen;
class QWidget;

namespace brindlecast {

/// The skin file's place relative to the program folder.
inline constexpr const char* SkinFile = "/x/o.cjs";
/// The hand cursor's place relative to the program folder.
inline constexpr const char* HandCursorFile = "/HAND-M.CUR";

/// When `programFolder`/x/o.cjs is a normal, visible file: gives `form` and its frames, options,
/// labels and picture boxes the button-face colour, then applies the file as a style sheet.
/// Does nothing without the file; throws when the file cannot be read.
void ApplySkin(QWidget* form, const QString& programFolder);

/// Gives `window` and its frames, options, check boxes and labels the button-face colour.
void SetButtonFaceColors(QWidget* window);

/// The windows' typeface, Arial (Liberation Sans here), at `points`.
QFont ArialFont(qreal points, bool bold);

/// Gives `widget` an opaque white background: the main window, the preview's viewport and
/// its picture boxes.
void SetWhiteBackground(QWidget* widget);

/// Moves `window` so that a rectangle of its size (its frame not counted) sits in the middle
/// of `screen`'s available area, that rectangle's corner being where the window goes. Does
/// nothing without a screen.
void CentreOnScreen(QWidget* window, const QScreen* screen);

/// Widgets that play the part of picture boxes carry this dynamic property set to true, so
/// that the colour procedures can tell them from labels.
inline constexpr const char* PictureBoxProperty = "pictureBox";

} // namespace brindlecast
