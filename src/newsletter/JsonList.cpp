// A recipient list as JSON: an array of objects whose keys are a CSV header's column names.
#include "JsonText.h"
#include "RecipientReaders.h"

#include <QJsonArray>
#include <QJsonObject>

namespace brindlecast::recipients {

namespace {

QString cellText(const QJsonValue& value, int position, int line, const QString& key) {
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return value.toVariant().toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return {};
    default:
        throw RecipientListError(QStringLiteral("recipient %1 (line %2): \"%3\" holds a list or "
                                                "an object; give it as text")
                                     .arg(position)
                                     .arg(line)
                                     .arg(key),
                                 line);
    }
}

} // namespace

RecipientList ReadJsonList(const QByteArray& utf8) {
    QJsonDocument document;
    try {
        document = ParseJsonText(utf8);
    } catch (const JsonTextError& error) {
        throw RecipientListError(QString::fromStdString(error.what()), error.line());
    }
    if (!document.isArray())
        throw RecipientListError(QStringLiteral("a JSON list is an array of objects, one per "
                                                "recipient: [{\"Name\": \"Dana Hollis\"}, ...]"));
    const QJsonArray array = document.array();
    const std::vector<int> lines = JsonArrayElementLines(utf8);
    // The keys in the order they first come: the columns of a table.
    QStringList header;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const int line = size_t(i) < lines.size() ? lines[size_t(i)] : 0;
        if (!array[i].isObject())
            throw RecipientListError(
                QStringLiteral("recipient %1 (line %2) is not an object").arg(i + 1).arg(line),
                line);
        for (const QString& key : array[i].toObject().keys())
            if (!header.contains(key))
                header.append(key);
    }
    std::vector<CsvRecord> rows;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject object = array[i].toObject();
        CsvRecord row{{}, size_t(i) < lines.size() ? lines[size_t(i)] : 0};
        for (const QString& key : header)
            row.cells.append(cellText(object.value(key), int(i) + 1, row.line, key));
        rows.push_back(row);
    }
    RecipientList list = ReadTable(header, rows, QStringLiteral("the list's keys"), 1);
    if (list.recipients.empty())
        throw RecipientListError(QStringLiteral("the list has no recipient"));
    return list;
}

} // namespace brindlecast::recipients
