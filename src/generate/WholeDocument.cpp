// A file cut short by a full disk, or left empty, still has a document's name and often its first
// bytes; what each format keeps at its end (or, for an OLE compound file, the table of every
// sector it uses) tells it from a whole one without opening it in the engine.
#include "WholeDocument.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace brindlecast {

namespace {

quint32 u32At(const QByteArray& bytes, qsizetype at) {
    return at >= 0 && at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at)
                                             : 0;
}

QByteArray readAt(QFile& file, qint64 at, qint64 length) {
    return file.seek(at) ? file.read(length) : QByteArray();
}

// A compound file needs every sector its allocation table marks as used.
bool compoundWhole(QFile& file) {
    const QByteArray header = readAt(file, 0, 512);
    const int shift = header.size() == 512 ? header[0x1E] : 0;
    if (!header.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")) || (shift != 9 && shift != 12))
        return false;
    const qint64 sectorSize = qint64(1) << shift;
    const qint64 sectors = file.size() / sectorSize - 1;
    constexpr quint32 Free = 0xFFFFFFFF;
    // The first 109 table sectors are listed in the header: a newsletter's table is far shorter.
    const quint32 tableSectors = std::min<quint32>(u32At(header, 0x2C), 109);
    if (tableSectors == 0)
        return false;
    for (quint32 i = 0; i < tableSectors; ++i) {
        const quint32 sector = u32At(header, 0x4C + 4 * qsizetype(i));
        if (sector >= sectors)
            return false;
        const QByteArray table = readAt(file, (qint64(sector) + 1) * sectorSize, sectorSize);
        if (table.size() != sectorSize)
            return false;
        for (qsizetype entry = 0; entry < table.size() / 4; ++entry)
            if (u32At(table, 4 * entry) != Free && qint64(i) * (sectorSize / 4) + entry >= sectors)
                return false;
    }
    return true;
}

// A ZIP archive ends with its directory's end record (followed by a comment of up to 64 KiB),
// which says where the directory is: before that record.
bool zipWhole(QFile& file) {
    if (!readAt(file, 0, 4).startsWith("PK\x03\x04"))
        return false;
    const qint64 tailStart = std::max<qint64>(0, file.size() - (22 + 0xFFFF));
    const QByteArray tail = readAt(file, tailStart, file.size() - tailStart);
    const qsizetype end = tail.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    if (end < 0 || end + 22 > tail.size())
        return false;
    const qint64 directoryEnd = qint64(u32At(tail, end + 16)) + u32At(tail, end + 12);
    return directoryEnd <= tailStart + end;
}

bool pdfWhole(QFile& file) {
    return readAt(file, 0, 5) == "%PDF-" &&
           readAt(file, std::max<qint64>(0, file.size() - 1024), 1024).contains("%%EOF");
}

} // namespace

QString WhyNotWhole(const QString& path, engine::SaveFormat format) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read (%1)").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("it is empty");
    bool whole = false;
    switch (format) {
    case engine::SaveFormat::Doc:
        whole = compoundWhole(file);
        break;
    case engine::SaveFormat::Docx:
    case engine::SaveFormat::Odt:
        whole = zipWhole(file);
        break;
    case engine::SaveFormat::Pdf:
        whole = pdfWhole(file);
        break;
    }
    return whole ? QString() : QStringLiteral("it is cut short or no document of its kind");
}

} // namespace brindlecast
