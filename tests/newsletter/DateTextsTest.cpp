#include "newsletter/DateTexts.h"

#include "newsletter/FieldTable.h"

#include <QSet>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);
const QLocale German(QLocale::German, QLocale::Germany);

TEST(DateTexts, ShortDateThenTimeUnlessMidnight) {
    EXPECT_EQ(DateToText(QDateTime(QDate(2022, 3, 15), QTime(0, 0)), English), "3/15/2022");
    EXPECT_EQ(DateToText(QDateTime(QDate(2022, 3, 15), QTime(14, 30, 5)), English),
              "3/15/2022 2:30:05 PM");
    EXPECT_EQ(DateToText(QDateTime(QDate(2022, 3, 15), QTime(0, 0)), German), "15.03.2022");
    EXPECT_EQ(DateToText(QDateTime(QDate(1601, 1, 1), QTime(9, 0)), German), "01.01.1601 09:00:00");
}

TEST(DateTexts, ReadBackWithTheLocaleInForce) {
    for (const QLocale& locale : {English, German}) {
        for (const QDateTime& value : {QDateTime(QDate(2022, 3, 15), QTime(0, 0)),
                                       QDateTime(QDate(2022, 3, 15), QTime(23, 59, 59)),
                                       QDateTime(QDate(1601, 1, 1), QTime(0, 0, 1)),
                                       QDateTime(QDate(9999, 12, 31), QTime(12, 0))}) {
            const auto read = TextToDate(DateToText(value, locale), locale);
            ASSERT_TRUE(read.has_value()) << DateToText(value, locale).toStdString();
            EXPECT_EQ(*read, value);
        }
    }
    // Written under one regional form, read under another: the reading form decides.
    EXPECT_EQ(TextToDate("03.04.2022", German)->date(), QDate(2022, 4, 3));
    EXPECT_FALSE(TextToDate("03.04.2022", English).has_value());
}

TEST(DateTexts, AcceptIsoAndRejectTheRest) {
    EXPECT_EQ(*TextToDate("2022-03-15", English), QDateTime(QDate(2022, 3, 15), QTime(0, 0)));
    EXPECT_EQ(*TextToDate("2022-03-15T08:09:10", German),
              QDateTime(QDate(2022, 3, 15), QTime(8, 9, 10)));
    for (const QString& bad :
         {QString(), QString("not a date"), QString("31/31/2022"), QString("2022-13-40")})
        EXPECT_FALSE(TextToDate(bad, English).has_value()) << bad.toStdString();
}

TEST(DateTexts, MonthYearAndLongDate) {
    for (int day : {1, 15, 31})
        EXPECT_EQ(MonthYearText(QDate(2022, 3, day), English), "Mar 2022");
    EXPECT_EQ(MonthYearText(QDate(2026, 12, 8), German), "Dez. 2026");
    EXPECT_EQ(IssueDateText(QDate(2026, 12, 8), English), "Tuesday, December 8, 2026");
}

TEST(FieldTable, IsTheContractWithTheTemplates) {
    const auto& fields = Fields();
    const QStringList tags{"[NLTITLE]",       "[NLSUBTITLE]",   "[ISSUENO]",        "[VOLNO]",
                           "[SENDERNAME]",    "[COMPANYNAME]",  "[STREETADDRESS]",  "[CITYSTZIP]",
                           "[OFFICENO]",      "[FAXNO]",        "[EMAILADDRESS]",   "[WEBSITE]",
                           "[RECIPIENTNAME]", "[COMPANYNAME2]", "[STREETADDRESS2]", "[CITYSTZIP2]",
                           "[MONTHYEAR]"};
    QSet<int> orders;
    for (int i = 0; i < FieldCount; ++i) {
        EXPECT_EQ(QString::fromLatin1(fields[size_t(i)].tag), tags[i]);
        if (i != MonthYearField)
            orders.insert(fields[size_t(i)].focusOrder);
    }
    // Focus orders 1 to 17 without 3, which belongs to the date picker.
    EXPECT_EQ(orders.size(), 16);
    EXPECT_FALSE(orders.contains(3));
    EXPECT_EQ(fields[MonthYearField].label, nullptr);
    EXPECT_EQ(FieldKey(0), "Text1_0");
    EXPECT_EQ(FieldKey(16), "Text1_16");
    EXPECT_EQ(QString::fromLatin1(fields[3].label), " Volume No.:");
    EXPECT_EQ(SampleValue(10), "dana.hollis@quillmark.example");
    EXPECT_EQ(SampleValue(11), "www.quillmark.example");
    EXPECT_TRUE(SampleValue(16).isEmpty());
}

} // namespace
} // namespace brindlecast
