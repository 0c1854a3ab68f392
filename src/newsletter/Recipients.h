#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

namespace brindlecast {

/// The recipient fields of the field table, in field-table order.
enum class RecipientField { Name, Company, Street, CityStZip };

inline constexpr int RecipientFieldCount = 4;

/// The field-table index of a recipient field (12 to 15).
constexpr int FieldIndex(RecipientField field) {
    return 12 + static_cast<int>(field);
}

/// A recipient field's placeholder name without brackets: "RecipientName", "CompanyName2",
/// "StreetAddress2" or "CitySTZIP2".
QString RecipientFieldName(RecipientField field);

/// One recipient of a list.
struct Recipient {
    /// The four values, indexed by RecipientField; surrounding blanks trimmed, line breaks
    /// inside a value kept as "\n".
    std::array<QString, RecipientFieldCount> values;
    /// The line of the file (1-based) where the recipient's record or card starts.
    int line = 0;
    /// Every column's value as the list holds it, in the order of RecipientList::columns,
    /// surrounding blanks trimmed; empty where the recipient's record has none.
    QStringList cells = {};

    const QString& value(RecipientField field) const { return values[static_cast<size_t>(field)]; }
    const QString& name() const { return value(RecipientField::Name); }
};

/// A column of a CSV header, or a vCard property, and the fields it feeds; none when ignored.
struct ColumnUse {
    QString column; // as the file spells it; "column N" for a blank header cell
    std::vector<RecipientField> fields;
    /// Other placeholders it fills by its name, as a template spells them: "[Salutation]".
    QStringList fills = {};
};

enum class RecipientFormat { Csv, VCard, Json, Spreadsheet };

/// A recipient list as read, recipients in list order.
struct RecipientList {
    RecipientFormat format = RecipientFormat::Csv;
    QString encoding;        // "UTF-8", "UTF-16" or "Windows-1252"
    QChar delimiter;         // CSV: ',', ';' or '\t'; null for vCard and JSON
    QString sheet;           // a workbook's: the name of the sheet read
    QStringList sheets = {}; // a workbook's: every sheet's name, in the workbook's order
    std::vector<Recipient> recipients;
    std::vector<ColumnUse> columns; // in file order; for vCard in order of first appearance

    /// The column a name means: the same name in any letter case, blanks inside it collapsed.
    std::optional<int> columnNamed(const QString& name) const;
    /// Recipient `index`'s value of column `column`; empty when its record has none.
    QString cell(int index, int column) const;
};

/// A list that cannot be read. what() is a sentence a user can read, naming the line when there
/// is one; line() is that line, 0 when the fault is not on a line.
class RecipientListError : public std::runtime_error {
public:
    RecipientListError(const QString& message, int line = 0);
    int line() const { return mLine; }

private:
    int mLine;
};

/// The largest list file read: some hundred thousand recipients, far more than a run is for.
constexpr qint64 MaxListBytes = qint64(64) << 20;

/// Reads a recipient list file: JSON (an array of objects whose keys are the column names a CSV
/// header takes) when it is named *.json or starts with '[', vCard when it is named *.vcf or
/// *.vcard or starts with BEGIN:VCARD, CSV otherwise. Text is UTF-8 (with or without BOM) or UTF-16
/// with a BOM; a file that is not valid UTF-8 is read as Windows-1252, as spreadsheet programs
/// export it. Throws RecipientListError when the file cannot be read or is over MaxListBytes, the
/// list is broken or holds no recipient; nothing is returned then.
RecipientList ReadRecipients(const QString& path);

/// ReadRecipients on bytes already read; `fileName` only helps choose the format.
RecipientList ParseRecipients(const QByteArray& bytes, const QString& fileName = {});

/// The columns for a person to read: "used: Full Name (RecipientName), ADR (StreetAddress2,
/// CitySTZIP2), Salutation ([Salutation]); ignored: TEL, EMAIL", with "none" for an empty side.
QString DescribeColumns(const std::vector<ColumnUse>& columns);

} // namespace brindlecast
