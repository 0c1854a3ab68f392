#pragma once

#include <QString>

namespace brindlecast {

/// Button-and-icon codes and answers of MsgBox, with their classic numeric values.
namespace MsgStyle {
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Exclamation = 48;
} // namespace MsgStyle
namespace MsgAnswer {
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgAnswer

/// Modal message boxes. Behind an interface so that tests answer them in advance.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// Shows `prompt`; an empty `title` means the program-wide title. Returns the answer code.
    virtual int MsgBox(const QString& prompt, int style = MsgStyle::OkOnly,
                       const QString& title = {}) = 0;
};

/// The program-wide title that boxes without a title of their own show.
QString ProgramTitle();
void SetProgramTitle(const QString& title);

/// The program-wide title made from a product name: words are cut from the end, at least one,
/// until the rest fits in 40 characters. A one-word name is kept whole.
QString ApplicationTitle(const QString& productName);

} // namespace brindlecast
