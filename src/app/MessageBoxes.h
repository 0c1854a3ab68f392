#pragma once

#include <QString>

namespace brindlecast {

/// How a message box looks: a buttons part (OkOnly, YesNo) and an icon part (Exclamation),
/// combined with `|`. The values are the classic codes: the error box is style 48, OK with the
/// warning icon.
enum class MsgStyle : int { OkOnly = 0, YesNo = 4, Exclamation = 48 };

/// A style of `buttons` with `icon`.
constexpr MsgStyle operator|(MsgStyle buttons, MsgStyle icon) {
    return static_cast<MsgStyle>(static_cast<int>(buttons) | static_cast<int>(icon));
}

/// The buttons part of `style`.
constexpr MsgStyle MsgButtons(MsgStyle style) {
    return static_cast<MsgStyle>(static_cast<int>(style) & 0x0F);
}

/// The icon part of `style`.
constexpr MsgStyle MsgIcon(MsgStyle style) {
    return static_cast<MsgStyle>(static_cast<int>(style) & 0x70);
}

/// The button a message box was closed with, by its classic code.
enum class MsgAnswer : int { Ok = 1, Yes = 6, No = 7 };

/// Modal message boxes. Behind an interface so that tests answer them in advance.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// Shows `prompt`; an empty `title` means the program-wide title. Returns the button it was
    /// closed with.
    virtual MsgAnswer MsgBox(const QString& prompt, MsgStyle style = MsgStyle::OkOnly,
                             const QString& title = {}) = 0;
};

/// The program-wide title that boxes without a title of their own show.
QString ProgramTitle();
void SetProgramTitle(const QString& title);

/// The program-wide title made from a product name: words are cut from the end, at least one,
/// until the rest fits in 40 characters. A one-word name is kept whole.
QString ApplicationTitle(const QString& productName);

} // namespace brindlecast
