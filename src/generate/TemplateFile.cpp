#include "TemplateFile.h"

#include "DocumentContainers.h"
#include "app/FileHelpers.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace brindlecast {

namespace {

using namespace containers;

[[noreturn]] void notADocument(const QString& path, const QString& why = {}) {
    throw TemplateError(
        QStringLiteral("%1 is not a document Brindlecast can fill%2: a template is a Word "
                       "(.doc, .dot, .docx, .dotx) or OpenDocument text (.odt, .ott) file")
            .arg(path, why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why)));
}

[[noreturn]] void locked(const QString& path) {
    throw TemplateError(QStringLiteral("%1 is protected by a password, and a template is opened "
                                       "without one: save it without its password first")
                            .arg(path));
}

const CompoundStream* streamNamed(const std::vector<CompoundStream>& streams, const char* name) {
    for (const CompoundStream& stream : streams)
        if (stream.name == QLatin1String(name))
            return &stream;
    return nullptr;
}

const ZipEntry* entryNamed(const std::vector<ZipEntry>& entries, const char* name) {
    for (const ZipEntry& entry : entries)
        if (entry.name == QLatin1String(name))
            return &entry;
    return nullptr;
}

void identifyCompound(TemplateFile& file) {
    const auto streams = CompoundStreams(file.bytes);
    if (!streams)
        notADocument(file.path, QStringLiteral("a damaged OLE file"));
    // A password-protected Office Open XML file is a compound file around its encrypted zip.
    if (streamNamed(*streams, "EncryptedPackage") || streamNamed(*streams, "EncryptionInfo"))
        locked(file.path);
    const CompoundStream* word = streamNamed(*streams, "WordDocument");
    if (!word)
        notADocument(file.path, QStringLiteral("an OLE file without a Word document in it"));
    // The file information block: its flags say "template" (bit 0) and "encrypted" (bit 8).
    const QByteArray head = CompoundStreamStart(file.bytes, *word, 12);
    if (head.size() < 12)
        notADocument(file.path, QStringLiteral("a damaged Word file"));
    const quint16 flags = quint16(static_cast<unsigned char>(head[0x0A]) |
                                  static_cast<unsigned char>(head[0x0B]) << 8);
    if (flags & 0x0100)
        locked(file.path);
    file.kind = TemplateKind::Word97;
    file.isTemplate = (flags & 0x0001) != 0;
    // The project's own streams, in the Macros storage.
    if (streamNamed(*streams, "_VBA_PROJECT") || streamNamed(*streams, "PROJECT"))
        file.macros = QStringLiteral("a Word macro project");
}

// Macros are parts of their own in both kinds of ZIP file. Event bindings to macros outside the
// file stand in compressed parts and go unseen here; they are taken out all the same.
QString macrosIn(const std::vector<ZipEntry>& entries) {
    QStringList found;
    const auto holds = [&](auto test) { return std::any_of(entries.begin(), entries.end(), test); };
    if (holds([](const ZipEntry& entry) {
            return entry.name.endsWith(QLatin1String("vbaProject.bin"), Qt::CaseInsensitive);
        }))
        found << QStringLiteral("a Word macro project");
    // Only a module or a dialog counts: a library's index (script-lb.xml, dialog-lb.xml) and
    // the list of libraries (script-lc.xml, dialog-lc.xml) hold no code, also when present.
    const auto inFolder = [](const char* folder, const char* libraries, const char* library) {
        return [=](const ZipEntry& entry) {
            const QString name = entry.name.section('/', -1);
            return entry.name.startsWith(QLatin1String(folder)) && !entry.name.endsWith('/') &&
                   name != QLatin1String(libraries) && name != QLatin1String(library);
        };
    };
    if (holds(inFolder("Basic/", "script-lc.xml", "script-lb.xml")))
        found << QStringLiteral("Basic macros");
    if (holds(inFolder("Dialogs/", "dialog-lc.xml", "dialog-lb.xml")))
        found << QStringLiteral("Basic dialogs");
    if (holds(
            [](const ZipEntry& entry) { return entry.name.startsWith(QLatin1String("Scripts/")); }))
        found << QStringLiteral("scripts");
    const QString last = found.isEmpty() ? QString() : found.takeLast();
    return found.isEmpty() ? last
                           : found.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

void identifyZip(TemplateFile& file) {
    const auto entries = ZipEntries(file.bytes);
    if (!entries)
        notADocument(file.path, QStringLiteral("a damaged ZIP file"));
    if (entryNamed(*entries, "[Content_Types].xml") &&
        std::any_of(entries->begin(), entries->end(),
                    [](const ZipEntry& entry) { return entry.name.startsWith("word/"); })) {
        file.kind = TemplateKind::WordXml;
        file.macros = macrosIn(*entries);
        return;
    }
    // The type of an OpenDocument package is its first entry, stored as it is.
    const ZipEntry* type = entryNamed(*entries, "mimetype");
    const QByteArray mimeType =
        type && type->method == 0 ? ZipEntryStart(file.bytes, *type, 100) : QByteArray();
    const QByteArray text = "application/vnd.oasis.opendocument.text";
    if (mimeType != text && mimeType != text + "-template") {
        if (mimeType.startsWith("application/vnd.oasis.opendocument."))
            notADocument(file.path, QStringLiteral("an OpenDocument file, but no text"));
        notADocument(file.path, QStringLiteral("a ZIP file of something else"));
    }
    // Encrypted parts are stored as they are, and are no XML then.
    const ZipEntry* content = entryNamed(*entries, "content.xml");
    if (content && content->method == 0) {
        QByteArray start = ZipEntryStart(file.bytes, *content, 8);
        if (start.startsWith("\xEF\xBB\xBF"))
            start = start.mid(3);
        if (!start.startsWith('<'))
            locked(file.path);
    }
    file.kind = TemplateKind::OpenDocument;
    file.isTemplate = mimeType.endsWith("-template");
    file.macros = macrosIn(*entries);
}

} // namespace

TemplateFile IdentifyTemplate(const QString& path, const QByteArray& bytes) {
    TemplateFile file{path, bytes};
    if (bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        identifyCompound(file);
    else if (bytes.startsWith("PK\x03\x04"))
        identifyZip(file);
    else
        notADocument(path, bytes.isEmpty() ? QStringLiteral("it is empty") : QString());
    return file;
}

TemplateFile ReadTemplateFile(const QString& path) {
    // As every input is read: a named pipe or a device is refused before it can keep us waiting.
    InputFile input;
    try {
        input = ReadInputFile(path, MaxTemplateBytes);
    } catch (const InputFileError& error) {
        throw TemplateError(
            QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(error.what())));
    }
    if (input.tooLarge)
        throw TemplateError(QStringLiteral("%1 is larger than a template may be (%2 MB)")
                                .arg(path)
                                .arg(MaxTemplateBytes >> 20));
    TemplateFile file = IdentifyTemplate(path, input.bytes);
    file.id = input.id;
    return file;
}

QString TemplateSuffix(const TemplateFile& file) {
    switch (file.kind) {
    case TemplateKind::Word97:
        return file.isTemplate ? QStringLiteral(".dot") : QStringLiteral(".doc");
    case TemplateKind::WordXml:
        return QStringLiteral(".docx");
    case TemplateKind::OpenDocument:
        return file.isTemplate ? QStringLiteral(".ott") : QStringLiteral(".odt");
    }
    return {};
}

QString DescribeTemplate(const TemplateFile& file) {
    const QString what = file.isTemplate ? QStringLiteral("template") : QStringLiteral("document");
    switch (file.kind) {
    case TemplateKind::Word97:
        return QStringLiteral("a Word 97-2003 %1").arg(what);
    case TemplateKind::WordXml:
        return QStringLiteral("a Word document");
    case TemplateKind::OpenDocument:
        return QStringLiteral("an OpenDocument text %1").arg(what);
    }
    return {};
}

} // namespace brindlecast
