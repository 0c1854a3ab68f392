#include "MakeNewsletter.h"

#include <memory>

namespace brindlecast {

void MakeNewsletterFile(engine::Engine& engine, const FillRound& round) {
    std::unique_ptr<engine::Application> application = engine.createApplication();
    try {
        engine::Document& document = application->open(round.source, true);
        StoryPass(document, round.value, round.fields);
        if (round.issueDate)
            IssueDatePass(*application, *round.issueDate);
        ShapePass(document, round.value, round.issueDate, round.fields);
        if (round.title)
            document.setTitle(*round.title);
        document.saveAs(round.target, round.format);
        application->quit();
    } catch (...) {
        try {
            application->quit();
        } catch (...) {
            // The failure that ended the round is the news, not a session that went with it.
        }
        throw;
    }
}

} // namespace brindlecast
