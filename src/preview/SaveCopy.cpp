#include "SaveCopy.h"

#include <QFile>
#include <QSaveFile>
#include <stdexcept>

namespace brindlecast {

[[noreturn]] static void fail(const QString& target, const QString& reason) {
    throw std::runtime_error(
        QStringLiteral("Cannot save the newsletter to %1: %2.").arg(target, reason).toStdString());
}

void SaveCopy(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(target, QStringLiteral("the working document %1 cannot be read (%2)")
                         .arg(source, in.errorString()));
    QSaveFile out(target);
    // Only ever a complete replacement: never fall back to writing over the target in place.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        fail(target, out.errorString());
    constexpr qint64 ChunkSize = 1 << 16;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(chunk.data(), ChunkSize);
        if (got < 0)
            fail(target, QStringLiteral("the working document %1 cannot be read (%2)")
                             .arg(source, in.errorString()));
        if (got == 0)
            break;
        if (out.write(chunk.constData(), got) != got)
            fail(target, out.errorString());
    }
    if (!out.commit())
        fail(target, out.errorString());
}

} // namespace brindlecast
