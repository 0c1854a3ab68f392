#include "OfficeSafety.h"

#include "UnoProperties.h"
#include "UnoSupport.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/task/XInteractionRequest.hpp>
#include <com/sun/star/ucb/UniversalContentBroker.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <cppuhelper/implbase1.hxx>
#include <mutex>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

struct Setting {
    const char* node;
    const char* name;
    Any value;
};

void applySettings(const Reference<css::uno::XComponentContext>& context) {
    const Setting settings[] = {
        // Also macros that document events name, and those of the office's own libraries.
        {"/org.openoffice.Office.Common/Security/Scripting", "DisableMacrosExecution", Any(true)},
        {"/org.openoffice.Office.Common/Security/Scripting", "MacroSecurityLevel",
         Any(sal_Int32(3))},
        // Events bound to anything but a macro (a command, a service) are dropped on loading.
        {"/org.openoffice.Office.Common/Security/Scripting", "CheckDocumentEvents", Any(true)},
        // Linked pictures of documents outside trusted places (there are none) stay unloaded.
        {"/org.openoffice.Office.Common/Security/Scripting", "BlockUntrustedRefererLinks",
         Any(true)},
        // Links (OLE, DDE, linked sections and text) are never updated: 2 is "never".
        {"/org.openoffice.Office.Writer/Content/Update", "Link", Any(sal_Int32(2))},
        // A Word file's macro project is neither turned into Basic nor kept to be written back.
        {"/org.openoffice.Office.Writer/Filter/Import/VBA", "Load", Any(false)},
        {"/org.openoffice.Office.Writer/Filter/Import/VBA", "Save", Any(false)},
        {"/org.openoffice.Office.Writer/Filter/Import/VBA", "Executable", Any(false)},
        // The same for workbooks read as recipient lists: Calc numbers "never" 1 here.
        {"/org.openoffice.Office.Calc/Content/Update", "Link", Any(sal_Int32(1))},
        {"/org.openoffice.Office.Calc/Filter/Import/VBA", "Load", Any(false)},
        {"/org.openoffice.Office.Calc/Filter/Import/VBA", "Executable", Any(false)},
        // A workbook's formulas keep the results its file stored: 1 is "never recalculate".
        {"/org.openoffice.Office.Calc/Formula/Load", "OOXMLRecalcMode", Any(sal_Int32(1))},
        {"/org.openoffice.Office.Calc/Formula/Load", "ODFRecalcMode", Any(sal_Int32(1))},
    };
    const Reference<css::lang::XMultiServiceFactory> provider =
        css::configuration::theDefaultProvider::get(context);
    for (const Setting& setting : settings) {
        const Any path(css::beans::NamedValue(OUString("nodepath"),
                                              Any(OUString::createFromAscii(setting.node))));
        const Reference<css::container::XNameReplace> node(
            provider->createInstanceWithArguments(
                OUString("com.sun.star.configuration.ConfigurationUpdateAccess"),
                Sequence<Any>(&path, 1)),
            UNO_QUERY_THROW);
        node->replaceByName(OUString::createFromAscii(setting.name), setting.value);
        Reference<css::util::XChangesBatch>(node, UNO_QUERY_THROW)->commitChanges();
    }
}

// Local files and the office's own storage schemes; nothing that reaches another machine.
bool isLocalScheme(const OUString& scheme) {
    static const char* const local[] = {"file",
                                        "private",
                                        "vnd.sun.star.pkg",
                                        "vnd.sun.star.zip",
                                        "vnd.sun.star.tdoc",
                                        "vnd.sun.star.expand",
                                        "vnd.sun.star.hier",
                                        "vnd.sun.star.help",
                                        "vnd.sun.star.extension",
                                        "vnd.libreoffice.image"};
    for (const char* name : local)
        if (scheme.equalsIgnoreAsciiCaseAscii(name))
            return true;
    return false;
}

void removeNetworkProviders(const Reference<css::uno::XComponentContext>& context) {
    const Reference<css::ucb::XUniversalContentBroker> broker =
        css::ucb::UniversalContentBroker::create(context);
    for (const css::ucb::ContentProviderInfo& info : broker->queryContentProviders()) {

        if (!isLocalScheme(info.Scheme))
            broker->deregisterContentProvider(info.ContentProvider, info.Scheme);
    }
}

class RefusingHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    explicit RefusingHandler(std::shared_ptr<OpenQuestions> questions)
        : mQuestions(std::move(questions)) {}

    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
        const Any question = request->getRequest();
        {
            std::lock_guard lock(mMutex);
            css::task::PasswordRequest password;
            if (question >>= password)
                mQuestions->password = true;
            else if (mQuestions->other.isEmpty())
                mQuestions->other = toQString(question.getValueTypeName());
        }
        for (const auto& continuation : request->getContinuations()) {
            const Reference<css::task::XInteractionAbort> abort(continuation, UNO_QUERY);
            if (abort.is()) {
                abort->select();
                return;
            }
        }
    }

private:
    std::shared_ptr<OpenQuestions> mQuestions;
    std::mutex mMutex;
};

} // namespace

void RestrictOffice(const Reference<css::uno::XComponentContext>& context) {
    try {
        applySettings(context);
        removeNetworkProviders(context);
    } catch (...) {
        throw currentEngineError(
            QStringLiteral("The document engine could not be made safe for others' templates."),
            {});
    }
}

Sequence<css::beans::PropertyValue> SafeLoadArguments(bool readOnly,
                                                      std::shared_ptr<OpenQuestions> questions) {
    const Reference<css::task::XInteractionHandler> handler =
        new RefusingHandler(std::move(questions));
    return properties(
        {property("Hidden", Any(true)), property("ReadOnly", Any(readOnly)),
         property("AsTemplate", Any(false)),
         property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
         property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
         property("InteractionHandler", Any(handler))});
}

} // namespace brindlecast::engine::writer
