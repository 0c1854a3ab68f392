#pragma once

#include "newsletter/Recipients.h"
#include "support/QtPrint.h"

#include <QVariant>

// A cell in a failed expectation as its text.
inline void PrintTo(const QVariant& value, std::ostream* out) {
    *out << (value.isValid() ? value.typeName() : "invalid") << ' '
         << value.toString().toStdString();
}

namespace brindlecast::testing {

/// A list of five with every kind of mark: recipient 2 has no e-mail address nor salutation,
/// 3 is recipient 1 again, 5 has no name.
inline RecipientList MarkedList() {
    return ParseRecipients("Name,Street,City,Email,Salutation,Points\n"
                           "Dana Hollis,41 Harbor View Rd,Millbrook,dana@example.org,Ms.,10\n"
                           "Vered Iziva,912 Stratford Ct,Del Mar,,,9\n"
                           "Dana H.,Elsewhere 1,Burlington,DANA@example.org,Dr.,100\n"
                           "ann oduya,Oak 10,Oslo,ann@example.org,Dr.,2\n"
                           ",Oak 2,Oslo,who@example.org,Mx.,11\n",
                           QStringLiteral("members.csv"));
}

} // namespace brindlecast::testing
