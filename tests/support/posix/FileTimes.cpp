#include "support/FileTimes.h"

#include <QFile>
#include <sys/time.h>

namespace brindlecast::testing {

bool SetLastModified(const QString& path, const QDateTime& when) {
    const timeval times[2] = {{time_t(when.toSecsSinceEpoch()), 0},
                              {time_t(when.toSecsSinceEpoch()), 0}};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

} // namespace brindlecast::testing
