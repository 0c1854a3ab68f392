#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

namespace brindlecast::cli {

/// The exit codes of the command line.
enum ExitCode : int {
    AllMade = 0,    ///< every newsletter asked for was made
    SomeFailed = 1, ///< some (or all) could not be made, or the run was stopped
    BadUsage = 2,   ///< the options, a value or the recipient list are wrong; nothing was made
    NoEngine = 3,   ///< the document engine cannot be started
};

/// What "brindlecast make" is asked to do.
struct MakeOptions {
    /// Empty: Classic, unless a template of the user's own is given.
    QString look;
    /// A template of the user's own, in place of a look.
    QString templateFile;
    QStringList sets;
    /// A JSON object of values, under the sets.
    QString values;
    bool noStored = false;
    QString output;
    QString format;
    bool force = false;
    /// Keeps the outputs that exist and makes the others.
    bool skipExisting = false;
    bool quiet = false;
    QString recipients;
    /// The sheet of a workbook list; empty for its first.
    QString sheet;
    QString combined;
    /// With --recipients: each file's name from fields and columns, "[Last], [First]".
    QString fileName;
    /// With --recipients: the positions to make, "5-20,31".
    QString rows;
    /// With --recipients: "COLUMN=VALUE" conditions, all of which a recipient must meet.
    QStringList where;
    /// Makes a recipient who is on the list twice twice.
    bool keepDuplicates = false;
    /// A list run stops, as on a termination signal, once this is set: a window's Cancel.
    const std::atomic<bool>* stop = nullptr;
};

/// Makes one newsletter, or one per recipient of a list, without a window. Returns the exit
/// code.
int RunMake(const MakeOptions& options);

class Console;

/// RunMake saying what it has to say to `console`.
int RunMake(const MakeOptions& options, Console& console);

} // namespace brindlecast::cli
