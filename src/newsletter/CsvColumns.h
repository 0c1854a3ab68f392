#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// What the header row of a CSV list means. Internal to the newsletter library.
namespace brindlecast::recipients {

/// What a column holds. The address roles may come in groups ("Business City", "Home City").
enum class Role {
    None,
    FullName,
    First,
    Middle,
    Last,
    Company,
    Street,
    Street2,
    Street3,
    City,
    State,
    Zip,
    CityStZip
};

/// Column indexes for one role, the best first.
using Candidates = std::vector<int>;
using RoleColumns = std::map<Role, Candidates>;

/// The columns of a header by role: the person's and, for each address group, the address's,
/// the group to try first leading.
struct Layout {
    RoleColumns person;
    std::vector<RoleColumns> addresses;
    std::vector<Role> roles; // per column, None for an ignored one
};

/// Reads a header row. Headers compare by their letters and digits alone, ignoring case, so
/// "Full Name", "full_name" and "FULLNAME" are one.
Layout ReadHeader(const QStringList& header);

} // namespace brindlecast::recipients
