#include "MakeNewsletter.h"

#include "WholeDocument.h"

#include <memory>
#include <stdexcept>

namespace brindlecast {

void MakeNewsletterFile(engine::Engine& engine, const FillRound& round) {
    std::unique_ptr<engine::Application> application = engine.createApplication();
    engine::Document* opened = nullptr;
    try {
        engine::Document& document = application->open(round.source, true);
        opened = &document;
        StoryPass(document, round.value, round.fields, round.named);
        if (round.issueDate)
            IssueDatePass(*application, *round.issueDate);
        ShapePass(document, round.value, round.issueDate, round.fields, round.named);
        // Only a label of the file: a newsletter without it is still the newsletter.
        if (round.title) {
            try {
                document.setTitle(*round.title);
            } catch (const engine::EngineError& error) {
                if (round.titleNotSet)
                    round.titleNotSet(QString::fromLocal8Bit(error.what()));
            }
        }
        document.saveAs(round.target, round.format);
        // Exported (a PDF) or half filled, the document still counts as changed, and Word, hidden,
        // would ask whether to save it as it quits, waiting for an answer nobody can give.
        opened = nullptr;
        document.closeWithoutSaving();
        application->quit();
    } catch (...) {
        try {
            if (opened)
                opened->closeWithoutSaving();
        } catch (...) {
        }
        try {
            application->quit();
        } catch (...) {
            // The failure that ended the round is the news, not a session that went with it.
        }
        throw;
    }
    // An engine whose disk is full may leave the file cut short or empty without a word.
    if (const QString why = WhyNotWhole(round.target, round.format); !why.isEmpty())
        throw std::runtime_error(QStringLiteral("the document engine's file %1 is not whole: %2")
                                     .arg(round.target, why)
                                     .toStdString());
}

} // namespace brindlecast
