#include "TemplateSource.h"

#include "MakeValues.h"
#include "generate/TemplateFile.h"
#include "generate/TemplateStore.h"

namespace brindlecast::cli {

namespace {

int lookNumbered(const QString& name) {
    static const char* const looks[] = {"Classic", "Executive", "Professional", "Elegant"};
    for (int look = 1; look <= LookCount; ++look)
        if (name.compare(QLatin1String(looks[look - 1]), Qt::CaseInsensitive) == 0)
            return look;
    throw UsageError(QStringLiteral("--look %1: the looks are Classic, Executive, Professional "
                                    "and Elegant")
                         .arg(name));
}

} // namespace

TemplateSource TemplateFor(const MakeOptions& options) {
    if (options.templateFile.isEmpty())
        return {LoadTemplateResource(TemplateResourceId(
            lookNumbered(options.look.isEmpty() ? QStringLiteral("Classic") : options.look)))};
    if (!options.look.isEmpty())
        throw UsageError(QStringLiteral("--template goes in place of --look: give one of them"));
    const QString& path = options.templateFile;
    try {
        const TemplateFile file = ReadTemplateFile(path);
        const engine::SaveFormat kind =
            file.kind == TemplateKind::WordXml        ? engine::SaveFormat::Docx
            : file.kind == TemplateKind::OpenDocument ? engine::SaveFormat::Odt
                                                      : engine::SaveFormat::Doc;
        return {file.bytes, TemplateSuffix(file), kind, file.id};
    } catch (const TemplateError& error) {
        throw UsageError(
            QStringLiteral("%1; nothing was made").arg(QString::fromStdString(error.what())));
    }
}

} // namespace brindlecast::cli
