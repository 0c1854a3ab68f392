#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace brindlecast {

/// The locale's short date form with the year spelled out: two-digit years read back as the
/// 1900s.
QString ShortDateFormat(const QLocale& locale = QLocale());

/// The issue date as the settings store keeps it: the locale's short date (always with a
/// four-digit year), followed by the time of day unless it is exactly midnight.
QString DateToText(const QDateTime& value, const QLocale& locale = QLocale());

/// Reads a stored issue date with the locale's conversion, or as ISO 8601; nothing otherwise.
std::optional<QDateTime> TextToDate(const QString& text, const QLocale& locale = QLocale());

/// The month-year text of field 16: the locale's abbreviated month name, a blank, the year.
QString MonthYearText(const QDate& date, const QLocale& locale = QLocale());

/// The issue date as the newsletter shows it: the locale's long date form.
QString IssueDateText(const QDate& date, const QLocale& locale = QLocale());

} // namespace brindlecast
