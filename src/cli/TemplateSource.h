#pragma once

#include "MakeCommand.h"
#include "app/FileHelpers.h"
#include "engine/Engine.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace brindlecast::cli {

/// The template a run fills, a look's or the user's own, as bytes for a fresh copy: the user's
/// file itself is never given to the engine, which could change it.
struct TemplateSource {
    QByteArray bytes;
    /// The copy's extension.
    QString suffix = QStringLiteral(".dot");
    /// The save format of the template's own kind, which keeps all of it.
    engine::SaveFormat kind = engine::SaveFormat::Doc;
    /// The user's file, which no output may replace; none for a look.
    std::optional<FileId> file = std::nullopt;
};

/// The template of `options`: the look's (Classic unless one is named), or the file given with
/// --template, which is read and told apart by its content. Only a regular file (or a pipe a
/// program writes into) is read. Throws UsageError.
TemplateSource TemplateFor(const MakeOptions& options);

} // namespace brindlecast::cli
