#pragma once

#include "Recipients.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

// Which recipients of a list a run is for: the rows asked for, those that meet every condition,
// and each person once.
namespace brindlecast {

/// A choice of recipients that cannot be made; what() says which and why.
class SelectionError : public std::runtime_error {
public:
    explicit SelectionError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

/// Positions (1-based, as the summary numbers recipients) from "5-20,31": single positions and
/// ranges, separated by commas, blanks allowed. Throws SelectionError for anything else, for a
/// range that runs backwards, and for a position beyond `count`.
std::vector<int> ParseRows(const QString& rows, int count);

/// A condition of --where: the value of `column` equals `value`, letter case ignored.
struct ColumnCondition {
    int column = 0;
    QString value;
};

/// "COLUMN=VALUE" read against the columns of `list`. Throws SelectionError when the text has no
/// "=" or the list has no such column (naming its columns).
ColumnCondition ParseWhere(const QString& where, const RecipientList& list);

/// The recipients (0-based indexes, in list order) at `rows` (all when empty) that meet every
/// condition.
std::vector<int> ChooseRecipients(const RecipientList& list, const std::vector<int>& rows,
                                  const std::vector<ColumnCondition>& conditions);

/// The recipients at `rows` ("" for all) that meet every "COLUMN=VALUE" of `where`: ParseRows,
/// ParseWhere and ChooseRecipients in one. Throws SelectionError.
std::vector<int> ChooseRecipients(const RecipientList& list, const QString& rows,
                                  const QStringList& where);

/// The list's e-mail column: the first named Email, E-mail or Mail in any letter case (a vCard's
/// EMAIL among them).
std::optional<int> EmailColumn(const RecipientList& list);

/// A recipient that is another one again.
struct Duplicate {
    int index = 0;  ///< the one left out (0-based)
    int sameAs = 0; ///< the one kept, earlier in the list
    QString why;    ///< "the same e-mail address dana@example.org", ...
};

/// The recipients among `chosen` that an earlier one of them already is: the same e-mail
/// address (letter case ignored), or, where the list has no e-mail column or a recipient no
/// address, the same name and postal address (letter case and spacing ignored). A recipient
/// whose name and address are all empty is nobody's duplicate.
std::vector<Duplicate> FindDuplicates(const RecipientList& list, const std::vector<int>& chosen);

/// `chosen` without the duplicates.
std::vector<int> WithoutDuplicates(const std::vector<int>& chosen,
                                   const std::vector<Duplicate>& duplicates);

/// "recipient 7 (line 8, "Dana Hollis")", as the summaries name a recipient.
QString DescribeRecipient(const RecipientList& list, int index);

} // namespace brindlecast
