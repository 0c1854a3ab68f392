#include "DateTexts.h"

#include <QRegularExpression>

namespace brindlecast {

namespace {

// The long time form without its time-zone part, which neither reads back nor belongs here.
QString timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

} // namespace

QString ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString DateToText(const QDateTime& value, const QLocale& locale) {
    QString text = locale.toString(value.date(), ShortDateFormat(locale));
    if (value.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(value.time(), timeFormat(locale));
    return text;
}

std::optional<QDateTime> TextToDate(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    const QString dateFormat = ShortDateFormat(locale);
    QDateTime value =
        locale.toDateTime(trimmed, dateFormat + QLatin1Char(' ') + timeFormat(locale));
    if (value.isValid())
        return value;
    const QDate date = locale.toDate(trimmed, dateFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    value = QDateTime::fromString(trimmed, Qt::ISODate);
    if (value.isValid())
        return value;
    const QDate isoDate = QDate::fromString(trimmed, Qt::ISODate);
    if (isoDate.isValid())
        return QDateTime(isoDate, QTime(0, 0));
    return std::nullopt;
}

QString MonthYearText(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QStringLiteral("MMM yyyy"));
}

QString IssueDateText(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QLocale::LongFormat);
}

} // namespace brindlecast
