#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

namespace brindlecast::fakes {

/// A ZIP archive of `entries` (name, bytes), stored without compression, as small tools write
/// them, with their checksums, so that the document engine takes it too.
inline QByteArray StoredZip(const std::vector<std::pair<QByteArray, QByteArray>>& entries) {
    const auto le = [](QByteArray& to, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to += char((value >> (8 * i)) & 0xFF);
    };
    QByteArray zip, directory;
    for (const auto& entry : entries) {
        // Clang 14 does not let a lambda take structured bindings.
        const QByteArray& name = entry.first;
        const QByteArray& data = entry.second;
        quint32 crc = 0xFFFFFFFF;
        for (const char byte : data) {
            crc ^= quint8(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        const auto header = [&](QByteArray& to, quint32 signature, bool central) {
            le(to, signature, 4);
            le(to, 20, central ? 4 : 2); // made by and needed, or needed alone
            le(to, 0, 8);                // flags, stored, time, date
            le(to, ~crc, 4);
            le(to, quint32(data.size()), 4);
            le(to, quint32(data.size()), 4);
            le(to, quint32(name.size()), 2);
            le(to, 0, central ? 12 : 2); // extra (and comment, disk, attributes)
            if (central)
                le(to, quint32(zip.size()), 4);
            to += name;
        };
        header(directory, 0x02014b50, true);
        header(zip, 0x04034b50, false);
        zip += data;
    }
    const quint32 at = quint32(zip.size());
    zip += directory;
    le(zip, 0x06054b50, 4);
    le(zip, 0, 4);
    le(zip, quint32(entries.size()), 2);
    le(zip, quint32(entries.size()), 2);
    le(zip, quint32(directory.size()), 4);
    le(zip, at, 4);
    le(zip, 0, 2);
    return zip;
}

} // namespace brindlecast::fakes
