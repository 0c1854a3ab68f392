// Taking a document's macros out before anything is made of it: newsletters go to other people,
// and a macro that came with a template must not go along, not even one that never ran here.
#include "OfficeSafety.h"
#include "UnoSupport.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/document/XEmbeddedScripts.hpp>
#include <com/sun/star/document/XEventsSupplier.hpp>
#include <com/sun/star/document/XStorageBasedDocument.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/embed/XStorage.hpp>
#include <com/sun/star/form/XFormsSupplier.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/script/XEventAttacherManager.hpp>
#include <com/sun/star/script/XLibraryContainer2.hpp>
#include <com/sun/star/script/XLibraryContainerPassword.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;

namespace {

// Every module and dialog goes, from every library, and then every library but Standard. The
// office's Basic keeps a library named Standard in every document and will not let it go:
// removing it only takes it off the container's list, which is no promise about what the next
// store writes. An empty library holds nothing to pass on, whatever becomes of it.
void emptyLibraries(const Reference<css::script::XLibraryContainer>& libraries) {
    if (!libraries.is())
        return;
    const Reference<css::script::XLibraryContainer2> more(libraries, UNO_QUERY);
    const Reference<css::script::XLibraryContainerPassword> locks(libraries, UNO_QUERY);
    for (const OUString& name : libraries->getElementNames()) {
        const bool link = more.is() && more->isLibraryLink(name);
        if (more.is() && !link && more->isLibraryReadOnly(name))
            more->setLibraryReadOnly(name, false);
        // A locked library cannot be read without its password, nor emptied; only removed.
        const bool locked = locks.is() && locks->isLibraryPasswordProtected(name) &&
                            !locks->isLibraryPasswordVerified(name);
        if (!link && !locked) {
            libraries->loadLibrary(name);
            const Reference<css::container::XNameContainer> library(libraries->getByName(name),
                                                                    UNO_QUERY);
            if (library.is())
                for (const OUString& element : library->getElementNames())
                    library->removeByName(element);
        }
        if (name != "Standard")
            libraries->removeLibrary(name);
    }
}

// An event bound to nothing: the binding goes, the event stays. The document takes no binding
// as nothing; its objects want to be told "None".
void unbindEvents(const Reference<css::uno::XInterface>& object) {
    const css::beans::PropertyValue noScript(OUString("EventType"), 0, Any(OUString("None")),
                                             css::beans::PropertyState_DIRECT_VALUE);
    const Sequence<css::beans::PropertyValue> none(&noScript, 1);
    const Reference<css::document::XEventsSupplier> supplier(object, UNO_QUERY);
    if (!supplier.is())
        return;
    const Reference<css::container::XNameReplace> events = supplier->getEvents();
    if (!events.is())
        return;
    for (const OUString& name : events->getElementNames()) {
        Sequence<css::beans::PropertyValue> binding;
        if (!(events->getByName(name) >>= binding) || !binding.hasElements())
            continue;
        try {
            events->replaceByName(name, Any(Sequence<css::beans::PropertyValue>()));
        } catch (const css::lang::IllegalArgumentException&) {
            events->replaceByName(name, Any(none));
        }
    }
}

// Forms hold controls, whose events name scripts; forms nest.
void unbindFormEvents(const Reference<css::container::XIndexAccess>& forms) {
    if (!forms.is())
        return;
    const Reference<css::script::XEventAttacherManager> manager(forms, UNO_QUERY);
    for (sal_Int32 i = 0; i < forms->getCount(); ++i) {
        if (manager.is())
            manager->revokeScriptEvents(i);
        unbindFormEvents(Reference<css::container::XIndexAccess>(forms->getByIndex(i), UNO_QUERY));
    }
}

void unbindPageObjects(const Reference<css::lang::XComponent>& document) {
    const Reference<css::drawing::XDrawPageSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is())
        return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const Reference<css::container::XIndexAccess> page(supplier->getDrawPage(), UNO_QUERY);
#pragma GCC diagnostic pop
    if (!page.is())
        return;
    for (sal_Int32 i = 0; i < page->getCount(); ++i)
        unbindEvents(Reference<css::uno::XInterface>(page->getByIndex(i), UNO_QUERY));
    const Reference<css::form::XFormsSupplier> forms(page, UNO_QUERY);
    if (forms.is())
        unbindFormEvents(Reference<css::container::XIndexAccess>(forms->getForms(), UNO_QUERY));
}

// A Word file's own macro project rides along in the document's storage, kept there only to be
// written back when the document is saved in a Word format.
void dropWordProject(const Reference<css::lang::XComponent>& document) {
    const Reference<css::document::XStorageBasedDocument> based(document, UNO_QUERY);
    if (!based.is())
        return;
    const Reference<css::embed::XStorage> storage = based->getDocumentStorage();
    if (!storage.is())
        return;
    for (const OUString& name : storage->getElementNames())
        if (name.startsWith("_MS_VBA"))
            storage->removeElement(name);
}

} // namespace

void StripMacros(const Reference<css::lang::XComponent>& document) {
    const Reference<css::document::XEmbeddedScripts> scripts(document, UNO_QUERY);
    if (scripts.is()) {
        emptyLibraries(
            Reference<css::script::XLibraryContainer>(scripts->getBasicLibraries(), UNO_QUERY));
        emptyLibraries(
            Reference<css::script::XLibraryContainer>(scripts->getDialogLibraries(), UNO_QUERY));
    }
    dropWordProject(document);
    unbindEvents(document);
    unbindPageObjects(document);
}

} // namespace brindlecast::engine::writer
