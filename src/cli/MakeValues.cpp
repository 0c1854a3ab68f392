#include "MakeValues.h"

#include "app/FileHelpers.h"
#include "app/Settings.h"
#include "newsletter/DateTexts.h"
#include "newsletter/JsonText.h"

#include <QJsonObject>

namespace brindlecast::cli {

namespace {

// How a value's mistakes name it: "--set NAME=VALUE", or the values file and its key.
struct Origin {
    QString dated; // for a date that is none
    QString named; // for the month and year
    QString whole; // for a name that is no field's
};

QDateTime isoDate(const QString& text, const Origin& origin) {
    QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    if (!date.isValid())
        date = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    if (!date.isValid())
        throw UsageError(QStringLiteral("%1: not a date; give it as YYYY-MM-DD").arg(origin.dated));
    return date;
}

// What a template's brackets can hold as a name: the check of a template reads at most this
// much between them, on one line, without brackets inside.
bool CanBeBracketed(const QString& name) {
    if (name.isEmpty() || name.size() > 58)
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c.category() == QChar::Other_Control)
            return false;
    return true;
}

void apply(NewsletterValues& values, const QString& name, const QString& value,
           const Origin& origin, bool openNames) {
    if (name.compare(QLatin1String("IssueDate"), Qt::CaseInsensitive) == 0) {
        values.issueDate = isoDate(value, origin);
        return;
    }
    const std::optional<int> field = FieldNamed(name);
    if (field == MonthYearField)
        throw UsageError(
            QStringLiteral("%1: the month and year follow IssueDate; set IssueDate instead")
                .arg(origin.named));
    if (!field && openNames) {
        if (!CanBeBracketed(name.simplified()))
            throw UsageError(QStringLiteral("%1: a name is what a template holds between "
                                            "brackets: up to 58 characters on one line, no "
                                            "brackets")
                                 .arg(origin.whole));
        MergeValues merged;
        merged.named = std::move(values.named);
        merged.set(name, value);
        values.named = std::move(merged.named);
        return;
    }
    if (!field)
        throw UsageError(QStringLiteral("%1: no field is called %2; the fields are %3 (any "
                                        "other name needs a template of your own)")
                             .arg(origin.whole, name, SettableNames()));
    values.fields[size_t(*field)] = value;
}

// A values file is a person's, never big: a few kilobytes of text.
constexpr qint64 MaxValuesBytes = qint64(1) << 20;

void applyFile(NewsletterValues& values, const QString& path, bool openNames) {
    const QString prefix = QStringLiteral("--values %1").arg(path);
    InputFile input;
    try {
        input = ReadInputFile(path, MaxValuesBytes);
    } catch (const InputFileError& error) {
        throw UsageError(QStringLiteral("%1: cannot read it (%2)")
                             .arg(prefix, QString::fromLocal8Bit(error.what())));
    }
    if (input.tooLarge)
        throw UsageError(
            QStringLiteral("%1: larger than a values file may be (1 MiB)").arg(prefix));
    const QByteArray& bytes = input.bytes;
    QJsonDocument document;
    try {
        document = ParseJsonText(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    } catch (const JsonTextError& error) {
        throw UsageError(
            QStringLiteral("%1: %2").arg(prefix, QString::fromStdString(error.what())));
    }
    if (!document.isObject())
        throw UsageError(QStringLiteral("%1: give one object, such as {\"NLTitle\": \"Harbor "
                                        "News\", \"IssueDate\": \"2026-03-14\"}")
                             .arg(prefix));
    const QJsonObject object = document.object();
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        const QString at = QStringLiteral("%1: \"%2\"").arg(prefix, entry.key());
        QString text;
        if (entry->isString())
            text = entry->toString();
        else if (entry->isDouble())
            text = entry->toVariant().toString();
        else if (!entry->isNull())
            throw UsageError(QStringLiteral("%1: give the value as text").arg(at));
        apply(values, entry.key(), text, {at, at, at}, openNames);
    }
}

} // namespace

QString SettableNames() {
    // As the templates spell them; any letter case is taken.
    return QStringLiteral("NLTitle, NLSubtitle, IssueNo, VolNo, SenderName, CompanyName, "
                          "StreetAddress, CitySTZIP, OfficeNo, FaxNo, EmailAddress, Website, "
                          "RecipientName, CompanyName2, StreetAddress2, CitySTZIP2, and IssueDate "
                          "as YYYY-MM-DD");
}

MergeValues NewsletterValues::merged() const {
    MergeValues values;
    values.fields = fields;
    values.issueDate = IssueDateText(issueDate.date());
    values.named = named;
    return values;
}

NewsletterValues MakeValues(bool stored, const QStringList& sets, const QString& valuesFile,
                            bool openNames) {
    NewsletterValues values;
    values.issueDate = QDateTime::currentDateTime();
    if (stored) {
        const auto setting = [](const QString& key) {
            return GetSetting(QLatin1String(AppName), QLatin1String(SectionName), key);
        };
        if (const auto date = TextToDate(setting(QLatin1String(IssueDateKey))))
            values.issueDate = *date;
        for (int i = 0; i < MonthYearField; ++i)
            values.fields[size_t(i)] = setting(FieldKey(i));
    }
    if (!valuesFile.isEmpty())
        applyFile(values, valuesFile, openNames);
    for (const QString& set : sets) {
        const qsizetype equals = set.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError(QStringLiteral("--set %1: give it as NAME=VALUE").arg(set));
        const QString name = set.left(equals).trimmed();
        const QString value = set.mid(equals + 1);
        apply(values, name, value,
              {QStringLiteral("--set %1=%2").arg(name, value), QStringLiteral("--set ") + name,
               QStringLiteral("--set ") + set},
              openNames);
    }
    values.fields[MonthYearField] = MonthYearText(values.issueDate.date());
    return values;
}

} // namespace brindlecast::cli
