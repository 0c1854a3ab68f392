#pragma once

#include "MakeValues.h"
#include "engine/Engine.h"
#include "newsletter/Recipients.h"

#include <QString>

namespace brindlecast::cli {

class Console;

/// One newsletter per recipient of a list.
struct ListJob {
    RecipientList list;
    NewsletterValues values;
    QByteArray templateBytes;
    engine::SaveFormat format = engine::SaveFormat::Doc;
    /// One file per recipient in this folder, or, when empty, `combined`.
    QString folder;
    /// One PDF with every newsletter, a page each, in list order.
    QString combined;
    /// How many engines work side by side.
    int engines = 1;
};

/// The file recipient `index` (0-based) of `job` goes to.
QString RecipientOutput(const ListJob& job, int index);

/// Makes the list's newsletters, the values they share filled once, on `job.engines` engines
/// taking recipients in turn. A recipient that fails does not stop the others. Returns the
/// exit code.
int RunList(const ListJob& job, Console& console);

} // namespace brindlecast::cli
