#include "SpreadsheetFile.h"

#include "DocumentContainers.h"

#include <QFileInfo>
#include <algorithm>

namespace brindlecast {

namespace {

using namespace containers;

// BIFF records: the globals' beginning, and the one that says the rest is encrypted. The
// latter follows the former within a record or two (after a write protection).
constexpr quint16 BeginningOfFile = 0x0809;
constexpr quint16 FilePass = 0x002F;
constexpr int RecordsBeforeFilePass = 3;

const QString Advice = QStringLiteral(
    "a recipient list is a CSV, vCard or JSON file, or a workbook (.xlsx, .xls, .ods)");

[[noreturn]] void notAWorkbook(const QString& what) {
    throw SpreadsheetError(
        QStringLiteral("it is %1, not a list Brindlecast reads: %2").arg(what, Advice));
}

[[noreturn]] void locked() {
    throw SpreadsheetError(QStringLiteral("it is protected by a password, and a list is read "
                                          "without one: save it without its password first"));
}

template <class Item> bool holds(const std::vector<Item>& items, const QString& name) {
    return std::any_of(items.begin(), items.end(), [&](const Item& item) {
        return item.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

template <class Item> const Item* named(const std::vector<Item>& items, const char* name) {
    for (const Item& item : items)
        if (item.name == QLatin1String(name))
            return &item;
    return nullptr;
}

quint16 u16(const QByteArray& bytes, qsizetype at) {
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

bool biffEncrypted(const QByteArray& start) {
    qsizetype at = 0;
    for (int record = 0; record < RecordsBeforeFilePass && at + 4 <= start.size(); ++record) {
        const quint16 type = u16(start, at);
        if (record == 0 && type != BeginningOfFile)
            return false;
        if (type == FilePass)
            return true;
        at += 4 + u16(start, at + 2);
    }
    return false;
}

SpreadsheetKind identifyCompound(const QByteArray& bytes) {
    const auto streams = CompoundStreams(bytes);
    if (!streams)
        notAWorkbook(QStringLiteral("a damaged OLE file"));
    // A password-protected Office Open XML file is a compound file around its encrypted zip.
    if (holds(*streams, QStringLiteral("EncryptedPackage")) ||
        holds(*streams, QStringLiteral("EncryptionInfo")))
        locked();
    const CompoundStream* book = named(*streams, "Workbook");
    if (!book)
        book = named(*streams, "Book"); // Excel 5 and 95
    if (!book)
        notAWorkbook(holds(*streams, QStringLiteral("WordDocument"))
                         ? QStringLiteral("a Word document")
                         : QStringLiteral("an OLE file without a workbook in it"));
    const QByteArray start = CompoundStreamStart(bytes, *book, 512);
    if (start.size() < 4 || u16(start, 0) != BeginningOfFile)
        notAWorkbook(QStringLiteral("a damaged Excel 97-2003 workbook"));
    if (biffEncrypted(start))
        locked();
    return SpreadsheetKind::Xls;
}

SpreadsheetKind identifyZip(const QByteArray& bytes) {
    const auto entries = ZipEntries(bytes);
    if (!entries)
        notAWorkbook(QStringLiteral("a damaged ZIP file"));
    if (named(*entries, "[Content_Types].xml")) {
        if (named(*entries, "xl/workbook.xml"))
            return named(*entries, "xl/vbaProject.bin") ? SpreadsheetKind::Xlsm
                                                        : SpreadsheetKind::Xlsx;
        if (named(*entries, "xl/workbook.bin"))
            notAWorkbook(QStringLiteral("an Excel binary workbook (.xlsb); save it as .xlsx"));
        if (named(*entries, "word/document.xml"))
            notAWorkbook(QStringLiteral("a Word document"));
    }
    // The type of an OpenDocument package is its first entry, stored as it is.
    const ZipEntry* type = named(*entries, "mimetype");
    const QByteArray mimeType =
        type && type->method == 0 ? ZipEntryStart(bytes, *type, 100) : QByteArray();
    const QByteArray spreadsheet = "application/vnd.oasis.opendocument.spreadsheet";
    if (mimeType != spreadsheet && mimeType != spreadsheet + "-template") {
        if (mimeType.startsWith("application/vnd.oasis.opendocument."))
            notAWorkbook(QStringLiteral("an OpenDocument file, but no spreadsheet"));
        notAWorkbook(QStringLiteral("a ZIP file of something else"));
    }
    // Encrypted parts are stored as they are, and are no XML then.
    const ZipEntry* content = named(*entries, "content.xml");
    if (content && content->method == 0) {
        QByteArray head = ZipEntryStart(bytes, *content, 8);
        if (head.startsWith("\xEF\xBB\xBF"))
            head = head.mid(3);
        if (!head.startsWith('<'))
            locked();
    }
    return SpreadsheetKind::Ods;
}

} // namespace

std::optional<SpreadsheetKind> IdentifySpreadsheet(const QString& fileName,
                                                   const QByteArray& bytes) {
    if (bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        return identifyCompound(bytes);
    if (bytes.startsWith("PK\x03\x04"))
        return identifyZip(bytes);
    // Named as a workbook, but text: a list saved under a workbook's name by some programs'
    // "export to Excel" is read as the text list it is, and an empty one is said to be empty.
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (bytes.isEmpty() && QStringList{"xlsx", "xlsm", "xls", "ods"}.contains(suffix))
        throw SpreadsheetError(QStringLiteral("it is empty"));
    return std::nullopt;
}

QString SpreadsheetSuffix(SpreadsheetKind kind) {
    switch (kind) {
    case SpreadsheetKind::Xlsx:
        return QStringLiteral(".xlsx");
    case SpreadsheetKind::Xlsm:
        return QStringLiteral(".xlsm");
    case SpreadsheetKind::Xls:
        return QStringLiteral(".xls");
    case SpreadsheetKind::Ods:
        return QStringLiteral(".ods");
    }
    return {};
}

} // namespace brindlecast
