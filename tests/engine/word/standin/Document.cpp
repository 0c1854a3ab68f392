#include "Control.h"
#include "Dispatch.h"
#include "Objects.h"

#include <algorithm>

namespace standin {

namespace {

// WdBuiltInProperty numbers 1 to 5, the text properties every format carries.
const wchar_t* const PropertyNames[] = {L"Title", L"Subject", L"Author", L"Keywords", L"Comments"};
constexpr long PdfFormat = 17;

void checkOpen(const DocModel& doc) {
    if (doc.closed)
        throw WordError{5825, L"Object has been deleted."};
}

class DocumentProperty final : public DispatchObject {
public:
    DocumentProperty(DocPtr doc, std::wstring name)
        : DispatchObject(L"DocumentProperty", members())
        , mDoc(std::move(doc))
        , mName(std::move(name)) {}

private:
    enum : DISPID { Value = 0, Name = 1 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Value, L"Value", Get | Put},
                                                  {Name, L"Name", Get}};
        return table;
    }

    void invoke(const Member& member, Access access, Args& args, VARIANT& result) override {
        checkOpen(*mDoc);
        if (member.id == Name)
            return setString(result, mName);
        if (access == Get)
            return setString(result, mDoc->properties[mName]);
        mDoc->properties[mName] = args.text(args.value());
        mDoc->dirty = true;
    }

    DocPtr mDoc;
    std::wstring mName;
};

class DocumentProperties final : public DispatchObject {
public:
    explicit DocumentProperties(DocPtr doc)
        : DispatchObject(L"DocumentProperties", members())
        , mDoc(std::move(doc)) {}

    static IDispatch* item(const DocPtr& doc, const Args& args, size_t slot) {
        const long count = sizeof PropertyNames / sizeof *PropertyNames;
        const VARIANT& index = args.raw(slot);
        for (long n = 1; n <= count; ++n)
            if (index.vt == VT_BSTR ? sameName(PropertyNames[n - 1], index.bstrVal)
                                    : args.number(slot) == n)
                return new DocumentProperty(doc, PropertyNames[n - 1]);
        throw WordError{5, L"Invalid procedure call or argument"};
    }

private:
    enum : DISPID { Item = 0, Count = 1 };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {{Item, L"Item", Get, 1, {L"Index"}},
                                                  {Count, L"Count", Get}};
        return table;
    }

    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        checkOpen(*mDoc);
        if (member.id == Count)
            return setLong(result, sizeof PropertyNames / sizeof *PropertyNames);
        setObject(result, item(mDoc, args, 0));
    }

    DocPtr mDoc;
};

const std::vector<const wchar_t*> SaveAs2Params = {L"FileName",
                                                   L"FileFormat",
                                                   L"LockComments",
                                                   L"Password",
                                                   L"AddToRecentFiles",
                                                   L"WritePassword",
                                                   L"ReadOnlyRecommended",
                                                   L"EmbedTrueTypeFonts",
                                                   L"SaveNativePictureFormat",
                                                   L"SaveFormsData",
                                                   L"SaveAsAOCELetter",
                                                   L"Encoding",
                                                   L"InsertLineBreaks",
                                                   L"AllowSubstitutions",
                                                   L"LineEnding",
                                                   L"AddBiDiMarks",
                                                   L"CompatibilityMode"};

const std::vector<const wchar_t*> ExportParams = {L"OutputFileName",
                                                  L"ExportFormat",
                                                  L"OpenAfterExport",
                                                  L"OptimizeFor",
                                                  L"Range",
                                                  L"From",
                                                  L"To",
                                                  L"Item",
                                                  L"IncludeDocProps",
                                                  L"KeepIRM",
                                                  L"CreateBookmarks",
                                                  L"DocStructureTags",
                                                  L"BitmapMissingFonts",
                                                  L"UseISO19005_1",
                                                  L"FixedFormatExtClassPtr"};

// SaveAs has every parameter of SaveAs2 but the last.
const std::vector<const wchar_t*>& saveAsParams() {
    static const std::vector<const wchar_t*> params(SaveAs2Params.begin(), SaveAs2Params.end() - 1);
    return params;
}

class Document final : public DispatchObject {
public:
    Document(SessionPtr session, DocPtr doc)
        : DispatchObject(L"Document", members())
        , mSession(std::move(session))
        , mDoc(std::move(doc)) {}

private:
    enum : DISPID {
        Name = 0,
        FullName,
        StoryRanges,
        Shapes,
        Range,
        SaveAs,
        SaveAs2,
        Close,
        BuiltInDocumentProperties,
        ExportAsFixedFormat,
        HasVBProject
    };
    static const std::vector<Member>& members() {
        static const std::vector<Member> table = {
            {Name, L"Name", Get},
            {FullName, L"FullName", Get},
            {StoryRanges, L"StoryRanges", Get},
            {Shapes, L"Shapes", Get},
            {Range, L"Range", Call, 0, {L"Start", L"End"}},
            {SaveAs, L"SaveAs", Call, 0, saveAsParams()},
            {SaveAs2, L"SaveAs2", Call, 0, SaveAs2Params},
            {Close, L"Close", Call, 0, {L"SaveChanges", L"OriginalFormat", L"RouteDocument"}},
            {BuiltInDocumentProperties, L"BuiltInDocumentProperties", Get, 0, {L"Index"}},
            {ExportAsFixedFormat, L"ExportAsFixedFormat", Call, 2, ExportParams},
            {HasVBProject, L"HasVBProject", Get}};
        return table;
    }

    void invoke(const Member& member, Access, Args& args, VARIANT& result) override {
        checkOpen(*mDoc);
        switch (member.id) {
        case Name:
            return setString(result, mDoc->name());
        case FullName:
            return setString(result, mDoc->path);
        case StoryRanges:
            return setObject(result, newStoryRanges(mSession, mDoc));
        case Shapes:
            return setObject(result, newShapes(mSession, mDoc));
        case Range:
            return setObject(result, newRange(mSession, range(args)));
        case SaveAs:
        case SaveAs2:
            return saveAs(args);
        case Close: {
            const long saveChanges = args.has(0) ? args.number(0) : -2;
            checkRange(saveChanges, -2, 0);
            return closeDocument(*mSession, *mDoc, saveChanges);
        }
        case BuiltInDocumentProperties:
            // Word's type library gives the property no parameter: VB's
            // BuiltInDocumentProperties("Title") is the collection's default member, Item.
            if (control::strict().properties && args.has(0))
                throw ArgError{DISP_E_BADPARAMCOUNT, 0};
            return setObject(result, args.has(0) ? DocumentProperties::item(mDoc, args, 0)
                                                 : new DocumentProperties(mDoc));
        case ExportAsFixedFormat:
            return exportFixed(args);
        case HasVBProject:
            return setBool(result, mDoc->vbaProject);
        }
    }

    Where range(Args& args) {
        auto main = mDoc->stories.at(MainText);
        if (!args.has(0) && !args.has(1))
            return {mDoc, main, nullptr};
        const long length = static_cast<long>(main->text().size());
        const long start = args.has(0) ? std::clamp(args.number(0), 0L, length) : 0;
        const long end = args.has(1) ? std::clamp(args.number(1), start, length) : length;
        return {mDoc, main, main->track(start, end)};
    }

    void saveAs(Args& args) {
        const std::wstring target = args.has(0) ? fullPath(args.text(0)) : mDoc->path;
        // Word keeps the format of what was opened; the lenient stand-in writes a document.
        const long kept = control::strict().saveFormat ? mDoc->fileFormat : 0;
        const long format = args.has(1) ? args.number(1) : kept;
        checkRange(format, 0, 24);
        const bool samePath = sameName(target.c_str(), mDoc->path.c_str());
        if (samePath && mDoc->readOnly)
            throw WordError{5155, L"This file is read-only.\r(" + target + L")"};
        for (const DocPtr& other : mSession->documents)
            if (other != mDoc && sameName(target.c_str(), other->path.c_str()))
                throw WordError{5153, L"Word cannot give a document the same name as an open "
                                      L"document."};
        // Word asks before it leaves a macro project out of a format that cannot hold it; the
        // project stays with the document it has open until that is closed.
        if (mDoc->vbaProject && DocModel::macroFree(format) && mSession->displayAlerts != 0)
            control::log(L"! " + mDoc->name() +
                         L" saved without its macro project: Word asks "
                         L"first here (DisplayAlerts " +
                         std::to_wstring(mSession->displayAlerts) + L")");
        if (samePath)
            mDoc->lock.reset();
        try {
            mDoc->save(target, format);
        } catch (const WordError&) {
            mDoc->hold(mDoc->path);
            throw;
        }
        // Saving as PDF exports: the document stays the file it was.
        if (format != PdfFormat) {
            mDoc->path = target;
            mDoc->readOnly = false;
            mDoc->fileFormat = format;
        }
        mDoc->hold(mDoc->path);
        mDoc->dirty = false;
    }

    // Only PDF (17) is modelled; XPS (18) is refused as out of range.
    void exportFixed(Args& args) {
        const std::wstring target = fullPath(args.text(0));
        checkRange(args.number(1), PdfFormat, PdfFormat);
        ExportOptions options;
        options.optimizeFor = args.has(3) ? args.number(3) : 0;
        checkRange(options.optimizeFor, 0, 1);
        options.docProps = args.has(8) && args.flag(8);
        options.structureTags = args.has(11) && args.flag(11);
        options.bitmapMissingFonts = !args.has(12) || args.flag(12);
        if (args.has(2) && args.flag(2))
            throw WordError{4198, L"Command failed (nobody can see a PDF opened after export)"};
        for (const DocPtr& other : mSession->documents)
            if (sameName(target.c_str(), other->path.c_str()))
                throw WordError{5153, L"Word cannot give a document the same name as an open "
                                      L"document."};
        mDoc->save(target, PdfFormat, &options);
    }

    SessionPtr mSession;
    DocPtr mDoc;
};

} // namespace

IDispatch* newDocument(SessionPtr session, DocPtr doc) {
    return new Document(std::move(session), std::move(doc));
}

IDispatch* newDocumentProperties(DocPtr doc) {
    return new DocumentProperties(std::move(doc));
}

} // namespace standin
