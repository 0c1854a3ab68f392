#include "ErrorTrap.h"

#include <new>
#include <stdexcept>

namespace brindlecast {

QString ErrorBoxText(const QString& description, const QString& form, const QString& procedure,
                     int line) {
    return description + QStringLiteral("\r\n") + QStringLiteral("in Plumvale2021/08/31.") + form +
           QLatin1Char('.') + procedure + QLatin1Char(' ') + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(SupportEmail);
}

QString DescribeCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void Trap::report(int line, const QString& description) {
    ++mFailures;
    mBoxes.MsgBox(ErrorBoxText(description, mForm, mProcedure, line), MsgStyle::Exclamation,
                  QStringLiteral("Application Error"));
}

} // namespace brindlecast
