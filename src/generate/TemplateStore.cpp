#include "TemplateStore.h"

#include "app/FileHelpers.h"

#include <QFile>
#include <stdexcept>

namespace brindlecast {

int TemplateResourceId(int look) {
    return 100 + look;
}

QByteArray LoadTemplateResource(int resourceId) {
    QFile resource(QStringLiteral(":/templates/%1.dot").arg(resourceId));
    if (!resource.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Resource with identifier '%1' not found")
                                     .arg(resourceId)
                                     .toStdString());
    return resource.readAll();
}

QString TemplatePath() {
    return TempFolder() + QStringLiteral("/template.dot");
}

} // namespace brindlecast
