#pragma once

#include <QString>

namespace brindlecast {

/// Starts outside programs without waiting for them.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString& url) = 0;
};

} // namespace brindlecast
