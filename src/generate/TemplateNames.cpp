#include "TemplateNames.h"

#include "engine/Engine.h"

#include <memory>

namespace brindlecast {

TemplateReport ReadTemplateReport(engine::Engine& engine, const QString& path) {
    std::unique_ptr<engine::Application> application = engine.createApplication();
    TemplateReport report = AnalyseTemplate(TemplateTexts(application->open(path, true)));
    engine::QuitQuietly(application);
    return report;
}

QString BracketedName(const QString& word) {
    return word.mid(1, word.size() - 2);
}

std::vector<NamedFill> NamedFills(const TemplateReport& report, const MergeValues& values) {
    std::vector<NamedFill> fills;
    for (const StrayWord& stray : report.strays) {
        if (stray.broken)
            continue;
        if (const NamedValue* named = values.namedValue(BracketedName(stray.text)))
            fills.push_back({stray.text, DocumentValue(named->value)});
    }
    return fills;
}

} // namespace brindlecast
