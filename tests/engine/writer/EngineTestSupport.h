#pragma once

#include "engine/writer/WriterEngine.h"
#include "fakes/FakeDialogs.h"
#include "support/Isolated.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <set>
#include <sys/types.h>

namespace brindlecast::testing {

using namespace engine;

/// The engine shared by the tests of one test program, started on first use and ended (and
/// checked to leave no process behind) when the program's tests are over; and the newsletter
/// test template, made once through that engine.
writer::WriterEngine& sharedEngine();
fakes::FakeClipboard& sharedClipboard();
QString newsletterTemplatePath();

/// Writes the test template's Flat ODF to `fodtPath` and converts it, through `engine`, to a
/// Word template at `dotPath`.
void makeNewsletterTemplate(Engine& engine, const QString& fodtPath, const QString& dotPath);

/// Every story's and every shape's text, read afresh through the engine.
QStringList documentTexts(Document& document);

/// What `program` writes to its standard output when run with `arguments` (empty when it
/// fails to run within half a minute).
QString toolOutput(const QString& program, const QStringList& arguments);

/// What an independent reader shows of a Word file: catdoc's and antiword's text together
/// (catdoc shows headers, antiword drawing shapes' text).
QString independentText(const QString& docPath);

/// Processes that are members of one of `groups`, or children of this program other than
/// those in `others` (such as the shared engine).
std::set<pid_t> processesOf(const std::set<pid_t>& groups, const std::set<pid_t>& others = {});

/// The shared engine's process, when it runs.
pid_t sharedEnginePid();

/// True while a process with this id runs (a zombie, waiting to be reaped, does not).
bool processRuns(pid_t pid);

} // namespace brindlecast::testing
