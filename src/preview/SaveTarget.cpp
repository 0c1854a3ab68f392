#include "SaveTarget.h"

#include "engine/SaveFormats.h"

namespace brindlecast {

using engine::SaveExtension;
using engine::SaveFormat;

SaveFormat SaveFormatAt(int filterIndex) {
    if (filterIndex < 1 || filterIndex > int(engine::SaveFormats.size()))
        return SaveFormat::Doc;
    return engine::SaveFormats[size_t(filterIndex - 1)];
}

SaveTarget ChooseSaveTarget(const QString& chosenPath, int filterIndex) {
    // "News.PDF" is as much a PDF as "news.pdf".
    if (const auto typed = engine::SaveFormatOfPath(chosenPath))
        return {chosenPath, *typed};
    const SaveFormat format = SaveFormatAt(filterIndex);
    if (format == SaveFormat::Doc)
        return {chosenPath, format};
    // "news." gets the extension's letters only: one dot, as the name meant.
    return {(chosenPath.endsWith(QLatin1Char('.')) ? chosenPath.chopped(1) : chosenPath) +
                SaveExtension(format),
            format};
}

} // namespace brindlecast
