#pragma once

#include <QByteArray>
#include <QString>

namespace brindlecast {

/// The looks, by their option number (1 Classic, 2 Executive, 3 Professional, 4 Elegant).
inline constexpr int LookCount = 4;

/// The template resource id of a look: 101 to 104.
int TemplateResourceId(int look);

/// The whole template of resource `resourceId`, byte for byte. Throws when the program does not
/// carry it.
QByteArray LoadTemplateResource(int resourceId);

/// The template file's path in the working-file folder.
QString TemplatePath();

} // namespace brindlecast
