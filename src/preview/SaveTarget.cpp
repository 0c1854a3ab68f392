#include "SaveTarget.h"

#include <QFileInfo>
#include <array>

namespace brindlecast {

using engine::SaveFormat;

namespace {

struct FormatEntry {
    SaveFormat format;
    const char* extension;
};

// In the filter's order.
constexpr std::array<FormatEntry, 4> Formats{{{SaveFormat::Doc, ".doc"},
                                              {SaveFormat::Docx, ".docx"},
                                              {SaveFormat::Odt, ".odt"},
                                              {SaveFormat::Pdf, ".pdf"}}};

} // namespace

SaveFormat SaveFormatAt(int filterIndex) {
    if (filterIndex < 1 || filterIndex > int(Formats.size()))
        return SaveFormat::Doc;
    return Formats[size_t(filterIndex - 1)].format;
}

QString SaveExtension(SaveFormat format) {
    for (const FormatEntry& entry : Formats)
        if (entry.format == format)
            return QString::fromLatin1(entry.extension);
    return QString();
}

SaveTarget ChooseSaveTarget(const QString& chosenPath, int filterIndex) {
    // "News.PDF" is as much a PDF as "news.pdf".
    const QString typed = QLatin1Char('.') + QFileInfo(chosenPath).suffix();
    for (const FormatEntry& entry : Formats)
        if (typed.compare(QLatin1String(entry.extension), Qt::CaseInsensitive) == 0)
            return {chosenPath, entry.format};
    const SaveFormat format = SaveFormatAt(filterIndex);
    if (format == SaveFormat::Doc)
        return {chosenPath, format};
    return {chosenPath + SaveExtension(format), format};
}

} // namespace brindlecast
