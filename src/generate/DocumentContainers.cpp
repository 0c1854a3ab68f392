#include "DocumentContainers.h"

#include <algorithm>

namespace brindlecast::containers {

namespace {

// Thrown, and caught below, when a file's numbers point outside it or round in circles.
struct Damaged {};

quint32 byteAt(const QByteArray& bytes, qsizetype at) {
    return quint32(static_cast<unsigned char>(bytes[at]));
}

quint16 u16(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 2 > bytes.size())
        throw Damaged{};
    return quint16(byteAt(bytes, at) | byteAt(bytes, at + 1) << 8);
}

quint32 u32(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size())
        throw Damaged{};
    return u16(bytes, at) | quint32(u16(bytes, at + 2)) << 16;
}

constexpr quint32 FirstSpecialSector = 0xFFFFFFFA; // end of chain, free, FAT and DIFAT marks
constexpr int MiniShift = 6;

// An OLE compound file ([MS-CFB]): a header, then sectors chained through the allocation
// table; the directory and every stream are such chains.
class Compound {
public:
    explicit Compound(const QByteArray& bytes)
        : mBytes(bytes) {
        if (!bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
            throw Damaged{};
        mShift = u16(bytes, 0x1E);
        // Version 3 and 4 files; their mini sectors are always of 64 bytes.
        if ((mShift != 9 && mShift != 12) || u16(bytes, 0x20) != MiniShift)
            throw Damaged{};
        mSectors = quint32(std::max<qsizetype>(0, (bytes.size() >> mShift) - 1));
        readAllocationTable();
        mDirectory = chain(u32(bytes, 0x30));
    }

    std::vector<CompoundStream> streams(CompoundStream* root = nullptr) const {
        std::vector<CompoundStream> found;
        const qsizetype sectorSize = qsizetype(1) << mShift;
        for (const quint32 sector : mDirectory) {
            for (qsizetype at = offset(sector); at < offset(sector) + sectorSize; at += 128) {
                const quint16 nameBytes = u16(mBytes, at + 0x40);
                const int type = u16(mBytes, at + 0x42) & 0xFF;
                if ((type != 2 && type != 5) || nameBytes < 2 || nameBytes > 64)
                    continue;
                QString name;
                for (int i = 0; i + 1 < nameBytes / 2; ++i)
                    name += QChar(u16(mBytes, at + 2 * i));
                const CompoundStream stream{name, u32(mBytes, at + 0x74), u32(mBytes, at + 0x78)};
                if (type == 2)
                    found.push_back(stream);
                else if (root)
                    *root = stream;
            }
        }
        return found;
    }

    QByteArray start(const CompoundStream& stream, int length) const {
        length = int(std::min<quint64>(quint64(length), stream.size));
        if (stream.size >= u32(mBytes, 0x38)) // a stream of its own sectors
            return mBytes.mid(offset(checked(stream.start)), std::min(length, 1 << mShift));
        // A small stream lives in the mini stream, in sectors of its own size, which is part of
        // the root entry's chain.
        CompoundStream root;
        streams(&root);
        const qsizetype miniOffset = qsizetype(stream.start) << MiniShift;
        const std::vector<quint32> rootChain = chain(root.start);
        const qsizetype index = miniOffset >> mShift;
        if (index >= qsizetype(rootChain.size()))
            throw Damaged{};
        const qsizetype within = miniOffset & ((qsizetype(1) << mShift) - 1);
        return mBytes.mid(offset(rootChain[size_t(index)]) + within,
                          std::min(length, 1 << MiniShift));
    }

private:
    qsizetype offset(quint32 sector) const { return (qsizetype(sector) + 1) << mShift; }
    quint32 checked(quint32 sector) const {
        if (sector >= mSectors)
            throw Damaged{};
        return sector;
    }

    std::vector<quint32> chain(quint32 sector) const {
        std::vector<quint32> sectors;
        while (sector < FirstSpecialSector) {
            if (sector >= mTable.size() || sectors.size() > mSectors)
                throw Damaged{};
            sectors.push_back(checked(sector));
            sector = mTable[sector];
        }
        return sectors;
    }

    void readAllocationTable() {
        const quint32 tableSectors = u32(mBytes, 0x2C);
        if (tableSectors > mSectors)
            throw Damaged{};
        std::vector<quint32> listed;
        for (int i = 0; i < 109 && listed.size() < tableSectors; ++i)
            listed.push_back(u32(mBytes, 0x4C + 4 * i));
        // Longer tables go on in sectors of their own, each ending with the next one's number.
        const int perSector = (1 << mShift) / 4 - 1;
        for (quint32 more = u32(mBytes, 0x44), hops = 0;
             listed.size() < tableSectors && more < FirstSpecialSector; ++hops) {
            if (hops > mSectors)
                throw Damaged{};
            for (int i = 0; i < perSector && listed.size() < tableSectors; ++i)
                listed.push_back(u32(mBytes, offset(checked(more)) + 4 * i));
            more = u32(mBytes, offset(more) + 4 * perSector);
        }
        for (const quint32 sector : listed)
            for (int i = 0; i < (1 << mShift) / 4; ++i)
                mTable.push_back(u32(mBytes, offset(checked(sector)) + 4 * i));
    }

    const QByteArray& mBytes;
    int mShift = 9;
    quint32 mSectors = 0;
    std::vector<quint32> mTable;
    std::vector<quint32> mDirectory;
};

} // namespace

std::optional<std::vector<CompoundStream>> CompoundStreams(const QByteArray& bytes) {
    try {
        return Compound(bytes).streams();
    } catch (const Damaged&) {
        return std::nullopt;
    }
}

QByteArray CompoundStreamStart(const QByteArray& bytes, const CompoundStream& stream, int length) {
    try {
        return Compound(bytes).start(stream, length);
    } catch (const Damaged&) {
        return {};
    }
}

std::optional<std::vector<ZipEntry>> ZipEntries(const QByteArray& bytes) {
    try {
        // The directory's end record is last, followed only by a comment of up to 64 KiB.
        qsizetype end = bytes.size() - 22;
        const qsizetype earliest = std::max<qsizetype>(0, end - 0xFFFF);
        while (end >= earliest && u32(bytes, end) != 0x06054b50)
            --end;
        if (end < earliest)
            return std::nullopt;
        const quint16 count = u16(bytes, end + 10);
        qsizetype at = u32(bytes, end + 16);
        if (count == 0xFFFF || at == 0xFFFFFFFF) // ZIP64, which no document of 50 MB needs
            return std::nullopt;
        std::vector<ZipEntry> entries;
        for (int i = 0; i < count; ++i) {
            if (u32(bytes, at) != 0x02014b50)
                return std::nullopt;
            const quint16 nameLength = u16(bytes, at + 28);
            if (at + 46 + nameLength > bytes.size())
                return std::nullopt;
            entries.push_back({QString::fromUtf8(bytes.mid(at + 46, nameLength)),
                               u16(bytes, at + 10), u32(bytes, at + 20), u32(bytes, at + 42)});
            at += 46 + nameLength + u16(bytes, at + 30) + u16(bytes, at + 32);
        }
        return entries;
    } catch (const Damaged&) {
        return std::nullopt;
    }
}

QByteArray ZipEntryStart(const QByteArray& bytes, const ZipEntry& entry, int length) {
    try {
        const qsizetype at = entry.localHeader;
        if (u32(bytes, at) != 0x04034b50)
            return {};
        const qsizetype data = at + 30 + u16(bytes, at + 26) + u16(bytes, at + 28);
        return bytes.mid(data, std::min<qsizetype>(length, entry.size));
    } catch (const Damaged&) {
        return {};
    }
}

} // namespace brindlecast::containers
