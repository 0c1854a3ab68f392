#pragma once

#include "newsletter/Recipients.h"

#include <gtest/gtest.h>
#include <vector>

namespace brindlecast::testing {

/// A recipient as a test expects it.
struct Expected {
    int line;
    const char* name;
    const char* company;
    const char* street;
    const char* city;
};

inline void ExpectRecipients(const RecipientList& list, const std::vector<Expected>& expected) {
    ASSERT_EQ(list.recipients.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Recipient& got = list.recipients[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(::testing::Message() << "recipient " << i + 1);
        EXPECT_EQ(got.line, want.line);
        EXPECT_EQ(got.name(), QString::fromUtf8(want.name));
        EXPECT_EQ(got.value(RecipientField::Company), QString::fromUtf8(want.company));
        EXPECT_EQ(got.value(RecipientField::Street), QString::fromUtf8(want.street));
        EXPECT_EQ(got.value(RecipientField::CityStZip), QString::fromUtf8(want.city));
    }
}

} // namespace brindlecast::testing
