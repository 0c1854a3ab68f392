#pragma once

#include "MakeValues.h"
#include "app/FileHelpers.h"
#include "engine/Engine.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <memory>
#include <optional>

namespace brindlecast::cli {

class Console;
struct EngineSlot;

/// One newsletter per recipient of a list.
struct ListJob {
    RecipientList list;
    NewsletterValues values;
    QByteArray templateBytes;
    /// The template copy's extension, and the format the shared fill is kept in: the
    /// template's own kind, so that nothing of it is lost on the way.
    QString templateSuffix = QStringLiteral(".dot");
    /// The template's file as the user named it; empty for a look's.
    QString templateName;
    engine::SaveFormat sharedFormat = engine::SaveFormat::Doc;
    engine::SaveFormat format = engine::SaveFormat::Doc;
    /// Recipients (0-based) whose file exists and is kept.
    std::vector<int> kept;
    /// One file per recipient in this folder, or, when empty, `combined`.
    QString folder;
    /// One PDF with every newsletter, a page each, in list order.
    QString combined;
    /// How many engines work side by side.
    int engines = 1;
    /// The user's template, which no output may replace.
    std::optional<FileId> templateFile;
    /// An engine started already (to read the list), which the run takes as its first.
    std::shared_ptr<EngineSlot> warmEngine = {};
};

/// The file recipient `index` (0-based) of `job` goes to.
QString RecipientOutput(const ListJob& job, int index);

/// Makes the list's newsletters, the values they share filled once, on `job.engines` engines
/// taking recipients in turn. A recipient that fails does not stop the others, except when its
/// file's folder is gone or its disk full: then no later one could be made either, and the run
/// stops there with one message. Returns the exit code.
int RunList(const ListJob& job, Console& console);

} // namespace brindlecast::cli
