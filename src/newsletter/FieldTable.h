#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace brindlecast {

/// The frames of the main window that hold fields.
enum class FieldFrame { Header, Sender, Recipient };

/// One newsletter field: its label, frame, placeholder and place in the main window.
struct FieldSpec {
    const char* label;     // nullptr for the hidden month-year field
    const char* labelName; // the label's object name
    FieldFrame frame;
    const char* tag; // the placeholder it replaces in the templates
    int focusOrder;  // place in the keyboard order; 0: never takes the focus
    QRect twips;     // left, top, width, height relative to the frame
    int labelLeft;   // twips, relative to the frame
    int labelTop;
};

inline constexpr int FieldCount = 17;
/// The newsletter's title, "Title/Headline:".
inline constexpr int TitleField = 0;
inline constexpr int MonthYearField = 16;

/// The placeholder that takes the issue date.
inline constexpr const char* IssueDatePlaceholder = "[IssueDate]";

/// The field table in index order: the contract between the main window and the templates.
const std::array<FieldSpec, FieldCount>& Fields();

/// The placeholder field `index` replaces, "[NLTITLE]"; and the issue date's, "[IssueDate]".
QString FieldTag(int index);
QString IssueDateTag();

/// The settings key of a field: "Text1_" followed by its index.
QString FieldKey(int index);

/// The issue date picker's place in the keyboard order, among the fields' `focusOrder`s.
inline constexpr int IssueDateFocusOrder = 3;

/// The settings key of the issue date.
inline constexpr const char* IssueDateKey = "DateTimePicker1";

/// The sample value of field `index` (0 to 15).
QString SampleValue(int index);

/// The longest value a field may put into a newsletter. The engine lays out a longer one, in a
/// header or beside a picture, in time that grows with the square of its length (5,000
/// characters: a quarter of a minute), and no newsletter field needs more.
inline constexpr int MaxValueLength = 1000;

/// The field whose placeholder is `name` without its brackets ("NLTitle", "SenderName"), in
/// any letter case.
std::optional<int> FieldNamed(const QString& name);

/// The field's placeholder name as the templates spell it, without brackets: "NLTitle",
/// "CitySTZIP2", "MonthYear".
QString FieldPlaceholderName(int index);

/// The field's name as its label shows it, without the colon: "Title/Headline".
QString FieldName(int index);

/// The first field whose value is longer than MaxValueLength, if any.
std::optional<int> OverlongField(const std::function<QString(int index)>& value);

} // namespace brindlecast
