#pragma once

#include "FillPasses.h"
#include "TemplateCheck.h"
#include "newsletter/MergeValues.h"

#include <QString>
#include <vector>

namespace brindlecast {

namespace engine {
class Engine;
}

/// Opens `path`, a copy of a template, read-only through a session of `engine`, reads what it
/// holds and ends the session: what check-template shows, and what a run of a template of the
/// user's own must know before anything is made. Throws what the engine throws.
TemplateReport ReadTemplateReport(engine::Engine& engine, const QString& path);

/// The name inside a bracketed word: "First Name" of "[First Name]".
QString BracketedName(const QString& word);

/// The bracketed words of `report` that a named value of `values` fills, each with that value
/// as it goes into the document, in the report's order.
std::vector<NamedFill> NamedFills(const TemplateReport& report, const MergeValues& values);

} // namespace brindlecast
