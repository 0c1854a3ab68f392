#include "FieldTable.h"

namespace brindlecast {

namespace {
// Label tops of the successive rows of a frame.
constexpr int Row1 = 360, Row2 = 795, Row3 = 1275, Row4 = 1755, Row5 = 2235, Row6 = 2715;
} // namespace

const std::array<FieldSpec, FieldCount>& Fields() {
    using F = FieldFrame;
    // clang-format off
    static const std::array<FieldSpec, FieldCount> fields{{
        {"Title/Headline:",    "Label1_0",  F::Header,    "[NLTITLE]",        1, {1560, 285, 6015, 345},  240, Row1},
        {"Subtitle:",          "Label1_1",  F::Header,    "[NLSUBTITLE]",     2, {1560, 720, 6015, 345},  240, Row2},
        {"Issue/Edition No.:", "Label1_3",  F::Header,    "[ISSUENO]",        4, {4800, 1200, 615, 375}, 3240, Row3},
        {" Volume No.:",       "Label1_4",  F::Header,    "[VOLNO]",          5, {6960, 1200, 615, 375}, 5760, Row3},
        {"Sender Name:",       "Label2_0",  F::Sender,    "[SENDERNAME]",     6, {1680, 285, 5895, 345},  240, Row1},
        {"Company Name:",      "Label2_1",  F::Sender,    "[COMPANYNAME]",    7, {1680, 720, 5895, 345},  240, Row2},
        {"Street Address:",    "Label2_2",  F::Sender,    "[STREETADDRESS]",  8, {1680, 1200, 5895, 345}, 240, Row3},
        {"City, State Zip:",   "Label2_3",  F::Sender,    "[CITYSTZIP]",      9, {1680, 1680, 5895, 345}, 240, Row4},
        {"Phone No:",          "Label2_4",  F::Sender,    "[OFFICENO]",      10, {1680, 2160, 2415, 345}, 240, Row5},
        {"Fax No:",            "Label2_5",  F::Sender,    "[FAXNO]",         11, {5280, 2160, 2295, 345}, 4320, Row5},
        {"Email Address:",     "Label2_6",  F::Sender,    "[EMAILADDRESS]",  12, {1680, 2640, 2415, 345}, 240, Row6},
        {"Website:",           "Label2_7",  F::Sender,    "[WEBSITE]",       13, {5280, 2640, 2295, 345}, 4320, Row6},
        // "Recepient" starts with Label3 and goes on with Label2's next indexes.
        {"Recipient Name:",    "Label3",    F::Recipient, "[RECIPIENTNAME]", 14, {1680, 285, 5895, 345},  240, Row1},
        {"Company Name:",      "Label2_8",  F::Recipient, "[COMPANYNAME2]",  15, {1680, 720, 5895, 345},  240, Row2},
        {"Street Address:",    "Label2_9",  F::Recipient, "[STREETADDRESS2]", 16, {1680, 1200, 5895, 345}, 240, Row3},
        {"City, State Zip:",   "Label2_10", F::Recipient, "[CITYSTZIP2]",    17, {1680, 1680, 5895, 345}, 240, Row4},
        {nullptr,              nullptr,     F::Header,    "[MONTHYEAR]",      0, {2520, 1290, 495, 375},    0, 0},
    }};
    // clang-format on
    return fields;
}

QString FieldTag(int index) {
    return QString::fromLatin1(Fields()[size_t(index)].tag);
}

QString IssueDateTag() {
    return QString::fromLatin1(IssueDatePlaceholder);
}

QString FieldKey(int index) {
    return QStringLiteral("Text1_") + QString::number(index);
}

QString SampleValue(int index) {
    static const char* const samples[MonthYearField] = {"Quillmark Newsletter",
                                                        "Software News",
                                                        "2",
                                                        "1",
                                                        "Dana Hollis",
                                                        "Quillmark",
                                                        "41 Harbor View Rd",
                                                        "Millbrook VT 05401",
                                                        "555-010-4400",
                                                        "555-010-4401",
                                                        "dana.hollis@quillmark.example",
                                                        "www.quillmark.example",
                                                        "Vered Iziva",
                                                        "Devuvad",
                                                        "912 Stratford Ct",
                                                        "Del Mar CA 92014"};
    return index >= 0 && index < MonthYearField ? QString::fromUtf8(samples[index]) : QString();
}

std::optional<int> FieldNamed(const QString& name) {
    for (int i = 0; i < FieldCount; ++i) {
        const QString tag = FieldTag(i);
        if (QStringView(tag).sliced(1, tag.size() - 2).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

QString FieldPlaceholderName(int index) {
    static const char* const names[FieldCount] = {
        "NLTitle",      "NLSubtitle",    "IssueNo",       "VolNo",        "SenderName",
        "CompanyName",  "StreetAddress", "CitySTZIP",     "OfficeNo",     "FaxNo",
        "EmailAddress", "Website",       "RecipientName", "CompanyName2", "StreetAddress2",
        "CitySTZIP2",   "MonthYear"};
    return QLatin1String(names[index]);
}

QString FieldName(int index) {
    const char* label = Fields()[size_t(index)].label;
    if (!label)
        return QStringLiteral("Month and year");
    QString name = QString::fromLatin1(label).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

std::optional<int> OverlongField(const std::function<QString(int)>& value) {
    for (int i = 0; i < FieldCount; ++i) {
        if (value(i).size() > MaxValueLength)
            return i;
    }
    return std::nullopt;
}

} // namespace brindlecast
