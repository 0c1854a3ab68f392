#include "SaveFormats.h"

#include <QFileInfo>

namespace brindlecast::engine {

QString SaveExtension(SaveFormat format) {
    switch (format) {
    case SaveFormat::Doc:
        return QStringLiteral(".doc");
    case SaveFormat::Docx:
        return QStringLiteral(".docx");
    case SaveFormat::Odt:
        return QStringLiteral(".odt");
    case SaveFormat::Pdf:
        return QStringLiteral(".pdf");
    }
    return {};
}

std::optional<SaveFormat> SaveFormatNamed(const QString& name) {
    for (const SaveFormat format : SaveFormats)
        if (SaveExtension(format).mid(1).compare(name, Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

std::optional<SaveFormat> SaveFormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return std::nullopt;
    return SaveFormatNamed(suffix);
}

} // namespace brindlecast::engine
