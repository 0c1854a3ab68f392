#include "Recipients.h"

#include "RecipientReaders.h"
#include "TextDecoding.h"

#include <QFile>
#include <QFileInfo>

namespace brindlecast {

QString RecipientFieldName(RecipientField field) {
    static const char* const names[RecipientFieldCount] = {"RecipientName", "CompanyName2",
                                                           "StreetAddress2", "CitySTZIP2"};
    return QLatin1String(names[static_cast<int>(field)]);
}

std::optional<int> RecipientList::columnNamed(const QString& name) const {
    const QString wanted = name.simplified();
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[size_t(i)].column.simplified().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

QString RecipientList::cell(int index, int column) const {
    return recipients[size_t(index)].cells.value(column);
}

RecipientListError::RecipientListError(const QString& message, int line)
    : std::runtime_error(message.toStdString())
    , mLine(line) {}

RecipientList ReadRecipients(const QString& path) {
    if (QFileInfo(path).isDir())
        throw RecipientListError(QStringLiteral("cannot read %1: it is a folder").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RecipientListError(
            QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    // Read no further than a list could sensibly be, whatever the file is (even /dev/zero).
    const QByteArray bytes = file.read(MaxListBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw RecipientListError(
            QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.size() > MaxListBytes)
        throw RecipientListError(QStringLiteral("%1 is larger than a list may be (%2 MiB)")
                                     .arg(path)
                                     .arg(MaxListBytes >> 20));
    return ParseRecipients(bytes, QFileInfo(path).fileName());
}

RecipientList ParseRecipients(const QByteArray& bytes, const QString& fileName) {
    const recipients::DecodedText decoded = recipients::DecodeListText(bytes);
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("json") || decoded.text.trimmed().startsWith(QLatin1Char('['))) {
        RecipientList list = recipients::ReadJsonList(decoded.text.toUtf8());
        list.format = RecipientFormat::Json;
        list.encoding = decoded.encoding;
        return list;
    }
    const bool vcard =
        suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard") ||
        decoded.text.trimmed().startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive);
    RecipientList list =
        vcard ? recipients::ReadVCards(decoded.text) : recipients::ReadCsv(decoded.text);
    list.encoding = decoded.encoding;
    return list;
}

QString DescribeColumns(const std::vector<ColumnUse>& columns) {
    QStringList used, ignored;
    for (const ColumnUse& use : columns) {
        QStringList fields;
        for (const RecipientField field : use.fields)
            fields.append(RecipientFieldName(field));
        fields.append(use.fills);
        if (fields.isEmpty())
            ignored.append(use.column);
        else
            used.append(use.column + QStringLiteral(" (") + fields.join(QStringLiteral(", ")) +
                        QLatin1Char(')'));
    }
    const auto listed = [](const QStringList& items) {
        return items.isEmpty() ? QStringLiteral("none") : items.join(QStringLiteral(", "));
    };
    return QStringLiteral("used: ") + listed(used) + QStringLiteral("; ignored: ") +
           listed(ignored);
}

namespace recipients {

QString JoinFilled(const QStringList& parts, const QString& separator) {
    QStringList filled;
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty())
            filled.append(part.trimmed());
    return filled.join(separator);
}

} // namespace recipients

} // namespace brindlecast
