#pragma once

#include "MakeValues.h"
#include "app/FileHelpers.h"
#include "engine/Engine.h"
#include "generate/TemplateCheck.h"
#include "newsletter/MergeValues.h"
#include "newsletter/RecipientSelection.h"
#include "newsletter/Recipients.h"

#include <QString>
#include <atomic>
#include <memory>
#include <optional>

namespace brindlecast::cli {

class Console;
struct EngineSlot;

/// What a list run made, for a caller that sums up the run itself (sending the files by mail).
struct ListOutcome {
    /// The recipients (0-based) whose file was made, in list order.
    std::vector<int> made;
    /// Those whose file could not be made, and why.
    std::vector<std::pair<int, QString>> failed;
    /// Why the run stopped before the others, when it did (a full disk); they were not made.
    QString halted;
};

/// One newsletter per recipient of a list.
struct ListJob {
    RecipientList list;
    NewsletterValues values;
    /// The values every newsletter starts from, before the recipient's own.
    MergeValues base = {};
    /// The recipients to make (0-based, in list order): those chosen, each person once.
    std::vector<int> chosen = {};
    /// The recipients left out as another one again.
    std::vector<Duplicate> duplicates = {};
    /// The fields that columns named like them fill, per recipient.
    std::vector<int> columnFields = {};
    /// Per recipient of the list, its file's name from --file-name; empty without one.
    std::vector<QString> fileNames = {};
    /// Recipients whose file got a number, because another would have had its name.
    struct Renamed {
        int index;
        QString wanted;
    };
    std::vector<Renamed> renamed = {};
    /// What a template of the user's own holds; none for a look.
    std::optional<TemplateReport> templateReport = std::nullopt;
    QByteArray templateBytes;
    /// The template copy's extension, and the format the shared fill is kept in: the
    /// template's own kind, so that nothing of it is lost on the way.
    QString templateSuffix = QStringLiteral(".dot");
    /// The template's file as the user named it; empty for a look's.
    QString templateName;
    engine::SaveFormat sharedFormat = engine::SaveFormat::Doc;
    engine::SaveFormat format = engine::SaveFormat::Doc;
    /// Recipients (0-based) whose file exists and is kept, among the chosen.
    std::vector<int> kept;
    /// One file per recipient in this folder, or, when empty, `combined`.
    QString folder;
    /// One PDF with every newsletter, a page each, in list order.
    QString combined;
    /// How many engines work side by side.
    int engines = 1;
    /// The user's template, which no output may replace.
    std::optional<FileId> templateFile;
    /// When given and set, the run stops as if the program were ending: the newsletters in
    /// hand are finished, no other is started, and a combined file is not made.
    const std::atomic<bool>* stop = nullptr;
    /// When given, what was made goes here, and the run's own summary is only a remark.
    ListOutcome* outcome = nullptr;
};

/// The file recipient `index` (0-based) of `job` goes to.
QString RecipientOutput(const ListJob& job, int index);

/// Makes the chosen recipients' newsletters, the values they share filled once, on
/// `job.engines` engines taking recipients in turn, the first of them `started` when one is
/// given. A recipient that fails does not stop the others, except when its file's folder is gone
/// or its disk full: then no later one could be made either, and the run stops there with one
/// message. Returns the exit code.
int RunList(const ListJob& job, Console& console, EngineSlot* started = nullptr);

} // namespace brindlecast::cli
