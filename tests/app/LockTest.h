#pragma once

#include "app/FileLock.h"
#include "support/Isolated.h"

#include <stdexcept>

namespace brindlecast::testing {

/// The run lock's path in a test's own TEMP, and what TryLockFile makes of it.
class LockTest : public Isolated {
protected:
    /// "" when TryLockFile takes the lock, "busy" when another holder has it, otherwise why it
    /// refused.
    QString refusal() const {
        try {
            return TryLockFile(temp("run.lock")).held() ? QString() : QStringLiteral("busy");
        } catch (const std::runtime_error& error) {
            return QString::fromUtf8(error.what());
        }
    }
};

} // namespace brindlecast::testing
