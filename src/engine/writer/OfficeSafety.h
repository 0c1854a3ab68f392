#pragma once

#include <QString>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <memory>

// A template may come from anyone: the office opens it without running anything in it and
// without reaching for anything outside it.
namespace brindlecast::engine::writer {

/// Makes the office at `context` safe for documents of others, before it opens any: macros
/// never run, links are never updated, linked pictures are never fetched, and the office can
/// reach no other place than local files (its network content providers are taken away).
/// Throws EngineError when a setting cannot be made.
void RestrictOffice(const css::uno::Reference<css::uno::XComponentContext>& context);

/// Takes every macro out of the open `document`, and every binding of an event (of the
/// document, its objects and its form controls) to one, so that nothing made of it carries
/// them: its Basic and dialog libraries and the Word macro project it came with. Throws what
/// the office throws.
void StripMacros(const css::uno::Reference<css::lang::XComponent>& document);

/// What the office asked while opening a document.
struct OpenQuestions {
    bool password = false;
    QString other; // the type of another question, when one came
};

/// The arguments that open a document of others as itself (a template too, not a new document
/// made from it), hidden, `readOnly` or not: its macros never run, its links are never updated,
/// and every question the office asks is answered with "cancel" and noted in `questions`:
/// nobody is there to answer, and a question must never leave a load waiting (a password above
/// all).
css::uno::Sequence<css::beans::PropertyValue>
SafeLoadArguments(bool readOnly, std::shared_ptr<OpenQuestions> questions);

} // namespace brindlecast::engine::writer
