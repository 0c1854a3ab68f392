#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Just enough of the two containers word-processing files come in to tell what a file is
// before any engine opens it: the names and first bytes of its parts. Every offset and length
// comes from a file of anyone's, so each is checked against the bytes there are.
namespace brindlecast::containers {

/// One stream of an OLE compound file (Word 97-2003, and encrypted Office Open XML).
struct CompoundStream {
    QString name;
    quint32 start = 0;
    quint64 size = 0;
};

/// The streams of the compound file `bytes`, in directory order; none when the bytes are not
/// one or it is damaged.
std::optional<std::vector<CompoundStream>> CompoundStreams(const QByteArray& bytes);

/// Up to `length` bytes from the start of `stream` of the compound file `bytes`; empty when
/// they cannot be read.
QByteArray CompoundStreamStart(const QByteArray& bytes, const CompoundStream& stream, int length);

/// One entry of a ZIP archive (Office Open XML, OpenDocument).
struct ZipEntry {
    QString name;
    quint16 method = 0; // 0 stored, 8 deflated
    quint32 size = 0;   // as stored
    quint32 localHeader = 0;
};

/// The entries of the ZIP archive `bytes`; none when the bytes are not one or its directory is
/// damaged.
std::optional<std::vector<ZipEntry>> ZipEntries(const QByteArray& bytes);

/// Up to `length` bytes of `entry`'s data as stored (compressed or not); empty when they
/// cannot be read.
QByteArray ZipEntryStart(const QByteArray& bytes, const ZipEntry& entry, int length);

} // namespace brindlecast::containers
