#include "MakeValues.h"

#include "app/Settings.h"
#include "newsletter/DateTexts.h"

namespace brindlecast::cli {

namespace {

QDateTime isoDate(const QString& name, const QString& text) {
    QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    if (!date.isValid())
        date = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    if (!date.isValid())
        throw UsageError(
            QStringLiteral("--set %1=%2: not a date; give it as YYYY-MM-DD").arg(name, text));
    return date;
}

} // namespace

QString SettableNames() {
    // As the templates spell them; any letter case is taken.
    return QStringLiteral("NLTitle, NLSubtitle, IssueNo, VolNo, SenderName, CompanyName, "
                          "StreetAddress, CitySTZIP, OfficeNo, FaxNo, EmailAddress, Website, "
                          "RecipientName, CompanyName2, StreetAddress2, CitySTZIP2, and IssueDate "
                          "as YYYY-MM-DD");
}

NewsletterValues MakeValues(bool stored, const QStringList& sets) {
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
    for (const QString& set : sets) {
        const qsizetype equals = set.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError(QStringLiteral("--set %1: give it as NAME=VALUE").arg(set));
        const QString name = set.left(equals).trimmed();
        const QString value = set.mid(equals + 1);
        if (name.compare(QLatin1String("IssueDate"), Qt::CaseInsensitive) == 0) {
            values.issueDate = isoDate(name, value);
            continue;
        }
        const std::optional<int> field = FieldNamed(name);
        if (field == MonthYearField)
            throw UsageError(QStringLiteral("--set %1: the month and year follow IssueDate; set "
                                            "IssueDate instead")
                                 .arg(name));
        if (!field)
            throw UsageError(QStringLiteral("--set %1: no field is called %2; the fields are %3")
                                 .arg(set, name, SettableNames()));
        values.fields[size_t(*field)] = value;
    }
    values.fields[MonthYearField] = MonthYearText(values.issueDate.date());
    return values;
}

} // namespace brindlecast::cli
