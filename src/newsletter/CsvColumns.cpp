#include "CsvColumns.h"

#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace brindlecast::recipients {

namespace {

struct Key {
    const char* key;
    Role role;
    int rank; // 0 for our own placeholder names, which beat any address-book header
};

// clang-format off
constexpr Key PersonKeys[] = {
    {"recipientname", Role::FullName, 0}, {"fullname", Role::FullName, 1},
    {"name", Role::FullName, 2}, {"displayname", Role::FullName, 3},
    {"contactname", Role::FullName, 3},
    {"firstname", Role::First, 1}, {"givenname", Role::First, 1}, {"forename", Role::First, 1},
    {"middlename", Role::Middle, 1}, {"additionalname", Role::Middle, 1},
    {"lastname", Role::Last, 1}, {"familyname", Role::Last, 1}, {"surname", Role::Last, 1},
    {"companyname2", Role::Company, 0}, {"company", Role::Company, 1},
    {"companyname", Role::Company, 1}, {"organization", Role::Company, 1},
    {"organisation", Role::Company, 1}, {"organizationname", Role::Company, 1},
    {"organisationname", Role::Company, 1}, {"organization1name", Role::Company, 1},
    {"streetaddress2", Role::Street, 0}, {"citystzip2", Role::CityStZip, 0},
};

// These may follow a group word: "Business Street", "Home City", Google's "Address 1 - Region".
constexpr Key AddressKeys[] = {
    {"street", Role::Street, 1}, {"streetaddress", Role::Street, 1},
    {"address", Role::Street, 1}, {"addressline1", Role::Street, 1},
    {"address1", Role::Street, 1}, {"street1", Role::Street, 1}, {"line1", Role::Street, 1},
    {"street2", Role::Street2, 1}, {"addressline2", Role::Street2, 1},
    {"address2", Role::Street2, 1}, {"line2", Role::Street2, 1},
    {"extendedaddress", Role::Street2, 1},
    {"street3", Role::Street3, 1}, {"addressline3", Role::Street3, 1},
    {"address3", Role::Street3, 1}, {"line3", Role::Street3, 1},
    {"city", Role::City, 1}, {"town", Role::City, 1}, {"locality", Role::City, 1},
    {"state", Role::State, 1}, {"st", Role::State, 1}, {"region", Role::State, 1},
    {"province", Role::State, 1}, {"stateprovince", Role::State, 1},
    {"stateregion", Role::State, 1},
    {"zip", Role::Zip, 1}, {"zipcode", Role::Zip, 1}, {"postalcode", Role::Zip, 1},
    {"postcode", Role::Zip, 1}, {"zippostalcode", Role::Zip, 1},
    {"citystzip", Role::CityStZip, 1}, {"citystatezip", Role::CityStZip, 1},
    {"citystatezipcode", Role::CityStZip, 1}, {"citystatepostalcode", Role::CityStZip, 1},
};

// Groups in the order they are tried for each row: an address without a group word, then the
// mailing address, then the work address (the recipient block sits under a company name), then
// the others in column order. "Business" and "work" are one group.
constexpr struct { const char* word; const char* group; int preference; } GroupWords[] = {
    {"mailing", "mailing", 1}, {"business", "work", 2}, {"work", "work", 2},
    {"home", "home", 3}, {"other", "other", 3},
};
// clang-format on

struct Classified {
    Role role = Role::None;
    int rank = 1;
    QString group;
    int preference = 0;
};

const Key* Find(const auto& keys, const QString& key) {
    for (const Key& k : keys)
        if (key == QLatin1String(k.key))
            return &k;
    return nullptr;
}

Classified Classify(const QString& header) {
    QString key;
    for (const QChar c : header)
        if (c.isLetterOrNumber())
            key += c.toLower();
    if (const Key* k = Find(PersonKeys, key))
        return {k->role, k->rank, {}, 0};
    if (const Key* k = Find(AddressKeys, key))
        return {k->role, k->rank, {}, 0};
    static const QRegularExpression numbered(QStringLiteral("^(address\\d+)(.+)$"));
    if (const auto match = numbered.match(key); match.hasMatch())
        if (const Key* k = Find(AddressKeys, match.captured(2)))
            return {k->role, k->rank, match.captured(1), 3};
    for (const auto& word : GroupWords)
        if (key.startsWith(QLatin1String(word.word)))
            if (const Key* k = Find(AddressKeys, key.mid(qsizetype(qstrlen(word.word)))))
                return {k->role, k->rank, QLatin1String(word.group), word.preference};
    return {};
}

bool IsPersonRole(Role role) {
    return role >= Role::FullName && role <= Role::Company;
}

} // namespace

Layout ReadHeader(const QStringList& header) {
    struct Entry {
        Classified what;
        int column;
    };
    std::vector<Entry> entries;
    Layout layout;
    for (int i = 0; i < header.size(); ++i) {
        entries.push_back({Classify(header[i]), i});
        layout.roles.push_back(entries.back().what.role);
    }
    // Stable, so equal ranks and groups keep their column order.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.what.preference, a.what.rank) < std::tie(b.what.preference, b.what.rank);
    });
    QStringList groups;
    for (const Entry& entry : entries) {
        if (entry.what.role == Role::None)
            continue;
        if (IsPersonRole(entry.what.role)) {
            layout.person[entry.what.role].push_back(entry.column);
            continue;
        }
        qsizetype group = groups.indexOf(entry.what.group);
        if (group < 0) {
            group = groups.size();
            groups.append(entry.what.group);
            layout.addresses.emplace_back();
        }
        layout.addresses[size_t(group)][entry.what.role].push_back(entry.column);
    }
    return layout;
}

} // namespace brindlecast::recipients
