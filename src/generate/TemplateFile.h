#pragma once

#include "app/FileHelpers.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>

namespace brindlecast {

/// The kinds of document a template may be, told apart by what the file holds, never by its name.
enum class TemplateKind { Word97, WordXml, OpenDocument };

/// The largest template read; a letterhead with its pictures is a fraction of it.
inline constexpr qint64 MaxTemplateBytes = qint64(50) << 20;

/// Why a file cannot be a template; what() is a sentence for a person that names the file.
class TemplateError : public std::runtime_error {
public:
    explicit TemplateError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

/// A template of the user's own, read whole, so that the engine only ever gets a copy.
struct TemplateFile {
    QString path;
    QByteArray bytes;
    TemplateKind kind = TemplateKind::Word97;
    /// A template (.dot, .ott) rather than a document, as far as the file says.
    bool isTemplate = false;
    /// The macros the file carries, for a person ("a Word macro project", "Basic macros");
    /// empty when it shows none. They never run, and no newsletter made from it has them.
    QString macros = {};
    /// The file on disk, which nothing made from it may replace; none for bytes given.
    std::optional<FileId> id = std::nullopt;
};

/// Reads the file at `path` and tells what it is. Refuses, with TemplateError, a file that
/// cannot be read, one larger than MaxTemplateBytes (before reading it), one that is not a
/// Word or OpenDocument text, and one protected by a password.
TemplateFile ReadTemplateFile(const QString& path);

/// As ReadTemplateFile for bytes already read; `path` only names the file in messages.
TemplateFile IdentifyTemplate(const QString& path, const QByteArray& bytes);

/// The extension of the template's kind, with its dot: ".doc", ".dot", ".docx", ".odt", ".ott".
QString TemplateSuffix(const TemplateFile& file);

/// The template's kind for a person: "a Word 97-2003 template", "an OpenDocument text", ...
QString DescribeTemplate(const TemplateFile& file);

} // namespace brindlecast
