#pragma once

#include "Engine.h"

#include <QString>
#include <array>
#include <optional>

namespace brindlecast::engine {

/// The formats a newsletter is saved in: the Word 97-2003 document first, then those made by
/// conversion.
inline constexpr std::array<SaveFormat, 4> SaveFormats{SaveFormat::Doc, SaveFormat::Docx,
                                                       SaveFormat::Odt, SaveFormat::Pdf};

/// A format's file name extension with its dot: ".doc", ".docx", ".odt", ".pdf".
QString SaveExtension(SaveFormat format);

/// The format a path's extension names, in any letter case; none for another extension.
std::optional<SaveFormat> SaveFormatOfPath(const QString& path);

/// The format called `name` ("doc", "docx", "odt", "pdf", in any letter case).
std::optional<SaveFormat> SaveFormatNamed(const QString& name);

} // namespace brindlecast::engine
