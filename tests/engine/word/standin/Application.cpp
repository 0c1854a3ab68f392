#include "Control.h"
#include "Dispatch.h"
#include "Objects.h"

#include <algorithm>

namespace standin {

namespace {

const std::vector<const wchar_t*> QuitParams = {L"SaveChanges", L"OriginalFormat",
                                                L"RouteDocument"};

// Application.NormalTemplate: what Word keeps the user's settings and add-ins' changes in.
class NormalTemplate final : public DispatchObject {
public:
    explicit NormalTemplate(SessionPtr session)
        : DispatchObject(L"Template", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID { Saved = 1, FullName };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Saved, L"Saved", Get | Put},
                                                  {FullName, L"FullName", Get}};
        return table;
    }
    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        if (member.id == FullName)
            return setString(result, L"C:\\Users\\Public\\Templates\\Normal.dotm");
        if (access == Get)
            return setBool(result, mSession->normalSaved);
        mSession->normalSaved = args.flag(args.value());
    }

    SessionPtr mSession;
};

class Documents final : public DispatchObject {
public:
    explicit Documents(SessionPtr session)
        : DispatchObject(L"Documents", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID { Item = 0, Count = 1, Open = 2 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Item, L"Item", Call, 1, {L"Index"}},
            {Count, L"Count", Get},
            {Open,
             L"Open",
             Call,
             1,
             {L"FileName", L"ConfirmConversions", L"ReadOnly", L"AddToRecentFiles",
              L"PasswordDocument", L"PasswordTemplate", L"Revert", L"WritePasswordDocument",
              L"WritePasswordTemplate", L"Format", L"Encoding", L"Visible", L"OpenAndRepair",
              L"DocumentDirection", L"NoEncodingDialog", L"XMLTransform"}},
            {DISPID_NEWENUM, L"_NewEnum", Get | Call}};
        return table;
    }

    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        auto& docs = mSession->documents;
        switch (member.id) {
        case Item:
            return setObject(result, newDocument(mSession, item(args)));
        case Count:
            return setLong(result, static_cast<long>(docs.size()));
        case Open:
            return setObject(result, newDocument(mSession, open(args)));
        case DISPID_NEWENUM: {
            std::vector<IDispatch*> items;
            for (const DocPtr& doc : docs)
                items.push_back(newDocument(mSession, doc));
            result.vt = VT_UNKNOWN;
            result.punkVal = newEnumerator(std::move(items));
        }
        }
    }

    DocPtr open(Args& args) {
        const std::wstring path = fullPath(args.text(0));
        userActsAtOpen(*mSession, true);
        const bool readOnly = args.has(2) && args.flag(2);
        // A hidden Word lists every file it opens among the user's recent ones, and shows it
        // in a window of its own once the user is handed this Word, unless told otherwise.
        const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        if (!args.has(3) || args.flag(3))
            control::log(L"! " + name +
                         L" opened without AddToRecentFiles False: Word lists it "
                         L"among the user's recent files");
        if (!args.has(11) || args.flag(11))
            control::log(L"! " + name +
                         L" opened without Visible False: Word shows it in a "
                         L"window of its own");
        // Word hands back a document that is open already rather than opening it twice.
        for (const DocPtr& doc : mSession->documents)
            if (sameName(doc->path.c_str(), path.c_str()))
                return doc;
        DocPtr doc = DocModel::open(path, readOnly);
        mSession->documents.push_back(doc);
        userActsAtOpen(*mSession, false);
        return doc;
    }

    DocPtr item(Args& args) {
        const auto& docs = mSession->documents;
        const VARIANT& index = args.raw(0);
        if (index.vt == VT_BSTR) {
            for (const DocPtr& doc : docs)
                if (sameName(doc->name().c_str(), index.bstrVal) ||
                    sameName(doc->path.c_str(), index.bstrVal))
                    return doc;
        } else if (const long n = args.number(0); n >= 1 && n <= static_cast<long>(docs.size())) {
            return docs[static_cast<size_t>(n - 1)];
        }
        throw WordError{5941, L"The requested member of the collection does not exist."};
    }

    SessionPtr mSession;
};

class Application final : public DispatchObject {
public:
    explicit Application(SessionPtr session)
        : DispatchObject(L"Application", members())
        , mSession(std::move(session)) {}

private:
    enum : DISPID {
        Docs = 1,
        Selection,
        DisplayAlerts,
        ActiveDocument,
        Quit,
        Visible,
        AutomationSecurity,
        Normal,
        UserControl,
        FileValidation
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Docs, L"Documents", Get},
            {Selection, L"Selection", Get},
            {DisplayAlerts, L"DisplayAlerts", Get | Put},
            {ActiveDocument, L"ActiveDocument", Get},
            {Quit, L"Quit", Call, 0, QuitParams},
            {Visible, L"Visible", Get | Put},
            {AutomationSecurity, L"AutomationSecurity", Get | Put},
            {Normal, L"NormalTemplate", Get},
            {UserControl, L"UserControl", Get},
            {FileValidation, L"FileValidation", Get | Put}};
        return table;
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        Session& session = *mSession;
        switch (member.id) {
        case Docs:
            return setObject(result, new Documents(mSession));
        case Selection:
            session.active();
            return setObject(result, newSelection(mSession));
        case DisplayAlerts:
            if (access == Get)
                return setLong(result, session.displayAlerts);
            checkRange(args.number(args.value()), -2, 0);
            session.displayAlerts = args.number(args.value());
            return;
        case ActiveDocument:
            return setObject(result, newDocument(mSession, session.active()));
        case Quit:
            return quit(args);
        case Visible:
            if (access == Get)
                return setBool(result, session.visible);
            session.visible = args.flag(args.value());
            return;
        case AutomationSecurity:
            if (access == Get)
                return setLong(result, session.automationSecurity);
            checkRange(args.number(args.value()), 1, 3);
            session.automationSecurity = args.number(args.value());
            return;
        case Normal:
            return setObject(result, new NormalTemplate(mSession));
        case UserControl:
            return setBool(result, session.userControl || session.visible);
        case FileValidation:
            if (access == Get)
                return setLong(result, session.fileValidation);
            checkRange(args.number(args.value()), 0, 1);
            session.fileValidation = args.number(args.value());
            return;
        }
    }

    void quit(Args& args) {
        const long saveChanges = args.has(0) ? args.number(0) : -2;
        checkRange(saveChanges, -2, 0);
        // Word asks about a changed Normal.dotm whatever DisplayAlerts says, in a window nobody
        // sees when it is hidden, and waits.
        if (!mSession->normalSaved && saveChanges != 0) {
            control::log(L"! Normal.dotm changed: Word asks whether to save it and waits");
            control::hangForever();
        }
        const auto documents = mSession->documents;
        for (const DocPtr& doc : documents)
            closeDocument(*mSession, *doc, saveChanges);
        DispatchObject::markQuit();
        quitRequested();
    }

    SessionPtr mSession;
};

} // namespace

std::shared_ptr<DocModel> Session::active() const {
    if (documents.empty())
        throw WordError{4248, L"This command is not available because no document is open."};
    return documents.back();
}

void closeDocument(Session& session, DocModel& doc, long saveChanges) {
    if (doc.closed)
        return;
    if (doc.users)
        control::log(L"! " + doc.name() + L" closed by the client: a document of the user's");
    if (doc.dirty && saveChanges == -1) {
        if (doc.readOnly)
            throw WordError{5155, L"This file is read-only.\r(" + doc.path + L")"};
        doc.lock.reset();
        doc.save(doc.path, doc.fileFormat);
    } else if (doc.dirty && saveChanges == -2) {
        control::log(L"! " + doc.name() +
                     L" closed with unsaved changes: Word asks whether to "
                     L"save them here (DisplayAlerts " +
                     std::to_wstring(session.displayAlerts) + L")");
    }
    doc.closed = true;
    doc.lock.reset();
    std::erase_if(session.documents, [&doc](const DocPtr& open) { return open.get() == &doc; });
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return length > 0 && length < MAX_PATH * 4 ? std::wstring(full, length) : path;
}

IDispatch* newApplication(SessionPtr session) {
    session->normalSaved = !control::strict().normalChanged;
    return new Application(std::move(session));
}

} // namespace standin
