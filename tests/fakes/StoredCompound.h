#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace brindlecast::fakes {

/// An OLE compound file (version 3, 512-byte sectors) of `streams` (name, bytes), each in
/// sectors of its own: the allocation table in sector 0, the directory in sector 1. A stream
/// shorter than the mini-stream cutoff is padded to it, so that no mini stream is needed.
/// At most three streams.
inline QByteArray StoredCompound(std::vector<std::pair<QString, QByteArray>> streams) {
    constexpr quint32 End = 0xFFFFFFFE, Free = 0xFFFFFFFF, None = 0xFFFFFFFF;
    const auto put = [](QByteArray& to, qsizetype at, quint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    put(header, 0x18, 0x3E, 2);
    put(header, 0x1A, 3, 2);
    put(header, 0x1C, 0xFFFE, 2);
    put(header, 0x1E, 9, 2);
    put(header, 0x20, 6, 2);
    put(header, 0x2C, 1, 4); // one allocation-table sector, sector 0
    put(header, 0x30, 1, 4); // the directory in sector 1
    put(header, 0x38, 4096, 4);
    put(header, 0x3C, End, 4);
    put(header, 0x44, End, 4);
    for (int i = 0; i < 109; ++i)
        put(header, 0x4C + 4 * i, i == 0 ? 0 : Free, 4);
    QByteArray table(512, '\xFF'), directory(512, '\0'), data;
    put(table, 0, 0xFFFFFFFD, 4);
    put(table, 4, End, 4);
    const auto entry = [&](int index, const QString& name, int type, quint32 start, quint32 size,
                           quint32 child, quint32 right) {
        const qsizetype at = 128 * index;
        for (int i = 0; i < name.size(); ++i)
            put(directory, at + 2 * i, name[i].unicode(), 2);
        put(directory, at + 0x40, quint64(name.size() + 1) * 2, 2);
        directory[at + 0x42] = char(type);
        directory[at + 0x43] = 1;
        put(directory, at + 0x44, None, 4);
        put(directory, at + 0x48, right, 4);
        put(directory, at + 0x4C, child, 4);
        put(directory, at + 0x74, start, 4);
        put(directory, at + 0x78, size, 4);
    };
    entry(0, QStringLiteral("Root Entry"), 5, End, 0, streams.empty() ? None : 1, None);
    quint32 sector = 2;
    for (size_t i = 0; i < streams.size(); ++i) {
        QByteArray bytes = streams[i].second;
        if (bytes.size() < 4096)
            bytes.append(QByteArray(4096 - bytes.size(), '\0'));
        const quint32 sectors = quint32((bytes.size() + 511) / 512);
        entry(int(i) + 1, streams[i].first, 2, sector, quint32(bytes.size()), None,
              i + 1 < streams.size() ? quint32(i) + 2 : None);
        for (quint32 s = 0; s < sectors; ++s)
            put(table, 4 * (sector + s), s + 1 < sectors ? sector + s + 1 : End, 4);
        sector += sectors;
        bytes.append(QByteArray(int(sectors * 512 - bytes.size()), '\0'));
        data += bytes;
    }
    return header + table + directory + data;
}

} // namespace brindlecast::fakes
