#include "Model.h"

#include "Control.h"
#include "Dispatch.h"
#include "Json.h"

#include <algorithm>
#include <stdexcept>
#include <windows.h>

namespace standin {

namespace {

// The first bytes of every saved document, so that Open tells them from Word files.
const char SavedMagic[] = "{\"format\":\"brindlecast-word-standin\"";
const char CompoundFileMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// The name of the storage a Word 97-2003 file keeps its macro project in, as the compound
// file's directory spells it (UTF-16, little-endian).
const std::string MacrosStorage("M\0a\0c\0r\0o\0s\0", 12);
// WdSaveFormat's wdFormatTemplate.
constexpr long TemplateFormat = 1;

// Every placeholder of the program's fields in mixed letter cases, the issue date in four,
// bracketed text that no field fills, a table in the main text, a first-page header that only the
// story pass reaches, and a shape without text between the text boxes.
const wchar_t MainBefore[] = L"[NLTitle]\r[NLSubtitle]\rIssue of [IssueDate]\r"
                             L"[Edition [IssueNo], Volume [VolNo]]\r";
// Two columns, four rows; as in Word's text of a table, every cell and every row ends in
// "\r\a".
const wchar_t MainTable[] = L"From\r\a[SenderName]\r\a\r\a[COMPANYNAME]\r\a[StreetAddress]\r\a\r\a"
                            L"[CitySTZIP]\r\aPhone [OfficeNo], fax [FaxNo]\r\a\r\a"
                            L"[EmailAddress]\r\a[Website]\r\a\r\a";
const wchar_t MainAfter[] = L"To\r[RecipientName]\r[CompanyName2]\r[StreetAddress2]\r"
                            L"[CitySTZip2]\rPrinted on [issuedate] for the [Monthyear] issue.\r"
                            L"Type your article in place of [style]. By [Article Author].\r";

std::shared_ptr<DocModel> builtIn() {
    auto doc = std::make_shared<DocModel>();
    const std::wstring before = MainBefore, table = MainTable;
    auto main = std::make_shared<Story>(MainText, before + table + MainAfter);
    doc->tables.push_back(main->track(static_cast<long>(before.size()),
                                      static_cast<long>(before.size() + table.size())));
    doc->stories[MainText] = main;
    doc->stories[PrimaryHeader] =
        std::make_shared<Story>(PrimaryHeader, L"[nlTitle] | [nlSubtitle] | No. [Issueno]\r");
    doc->stories[PrimaryFooter] = std::make_shared<Story>(
        PrimaryFooter, L"[SENDERNAME] - [OfficeNo] - [faxno] - [WEBSITE]\r");
    doc->stories[FirstPageHeader] =
        std::make_shared<Story>(FirstPageHeader, L"[NLTITLE] - [ISSUEDATE] - [VolNo]\r");
    auto box = [](const wchar_t* text) { return std::make_shared<Story>(TextFrame, text); };
    doc->shapes = {{L"Text Box 1", box(L"[NLTitle]\r[IssueDate] - No. [ISSUENO], Vol. [VOLNO]\r")},
                   {L"Text Box 2", box(L"[Companyname] / [cOMPANYNAME] / [CompanyName2]\r"
                                       L"[Sendername] [EMAILADDRESS]\r[ISSUEDATE]\r")},
                   {L"Straight Connector 3", nullptr},
                   {L"Text Box 4", box(L"[Article Author]\r[Monthyear] [Issuedate]\r"
                                       L"[RECIPIENTNAME], [StreetAddress2], [CITYSTZIP2]\r")}};
    doc->properties[L"Title"] = L"Newsletter template";
    return doc;
}

std::shared_ptr<DocModel> loadSaved(const std::string& bytes) {
    const Json saved = parseJson(bytes);
    auto doc = std::make_shared<DocModel>();
    doc->fileFormat = static_cast<long>(saved[L"fileFormat"].number);
    doc->vbaProject = saved[L"vbaProject"].boolean;
    for (const auto& [name, value] : saved[L"properties"].members)
        doc->properties[name] = value.string;
    for (const Json& story : saved[L"stories"].items) {
        const int type = static_cast<int>(story[L"type"].number);
        doc->stories[type] = std::make_shared<Story>(type, story[L"text"].string);
    }
    if (!doc->stories.count(MainText))
        throw std::runtime_error("no main text");
    for (const Json& table : saved[L"tables"].items)
        doc->tables.push_back(doc->stories[MainText]->track(
            static_cast<long>(table[L"start"].number), static_cast<long>(table[L"end"].number)));
    for (const Json& shape : saved[L"shapes"].items) {
        std::shared_ptr<Story> text;
        if (shape[L"hasText"].boolean)
            text = std::make_shared<Story>(TextFrame, shape[L"text"].string);
        doc->shapes.push_back({shape[L"name"].string, text});
    }
    return doc;
}

void put32(std::string& out, size_t at, unsigned long value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string bytes32(unsigned long value) {
    std::string out(4, '\0');
    put32(out, 0, value);
    return out;
}

unsigned long crc32(const std::string& bytes) {
    unsigned long crc = 0xFFFFFFFFul;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFul;
}

// The saved document in the container its format has, so that a check of the file's kind and
// its end (what a program does against a cut file) sees a whole one: one stored entry of a ZIP
// archive, a compound file's sectors, or the body of a PDF.
std::string zipped(const std::string& json) {
    const std::string name = "standin.json";
    const std::string common = std::string("\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10) +
                               bytes32(crc32(json)) + bytes32(json.size()) + bytes32(json.size()) +
                               std::string("\x0C\x00\x00\x00", 4);
    const std::string local = std::string("PK\x03\x04", 4) + common + name + json;
    const std::string central =
        std::string("PK\x01\x02\x14\x00", 6) + common + std::string(10, '\0') + bytes32(0) + name;
    return local + central + std::string("PK\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00", 12) +
           bytes32(central.size()) + bytes32(local.size()) + std::string(2, '\0');
}

std::string compound(const std::string& json) {
    constexpr size_t Sector = 512;
    const size_t dataSectors = (json.size() + Sector - 1) / Sector;
    std::string header(Sector, '\0');
    header.replace(0, 8, CompoundFileMagic, 8);
    header.replace(0x18, 8, std::string("\x3E\x00\x03\x00\xFE\xFF\x09\x00", 8));
    header[0x20] = 6;
    put32(header, 0x2C, 1);            // one allocation-table sector, sector 0
    put32(header, 0x30, 0xFFFFFFFEul); // no directory: the stand-in reads its text itself
    put32(header, 0x38, 4096);
    put32(header, 0x3C, 0xFFFFFFFEul);
    put32(header, 0x44, 0xFFFFFFFEul);
    for (size_t at = 0x4C; at < Sector; at += 4)
        put32(header, at, 0xFFFFFFFFul);
    put32(header, 0x4C, 0);
    std::string table(Sector, '\xFF');
    put32(table, 0, 0xFFFFFFFDul);
    for (size_t i = 1; i <= dataSectors; ++i)
        put32(table, 4 * i, i == dataSectors ? 0xFFFFFFFEul : static_cast<unsigned long>(i + 1));
    std::string data = json;
    data.resize(dataSectors * Sector, '\0');
    return header + table + data;
}

std::string contained(long fileFormat, const std::string& json) {
    if (fileFormat == 17)
        return "%PDF-1.7\n%" + json + "\n%%EOF\n";
    if (fileFormat == 12 || fileFormat == 23)
        return zipped(json);
    return compound(json);
}

} // namespace

std::shared_ptr<Span> Story::track(long start, long end) {
    auto span = std::make_shared<Span>(Span{start, end});
    mSpans.push_back(span);
    return span;
}

// Spans after the edit move, spans around it stretch or shrink, as Word adjusts its ranges.
void Story::replace(long position, long length, const std::wstring& with) {
    mText.replace(static_cast<size_t>(position), static_cast<size_t>(length), with);
    const long delta = static_cast<long>(with.size()) - length;
    const long editEnd = position + length;
    std::erase_if(mSpans, [](const std::weak_ptr<Span>& span) { return span.expired(); });
    for (const auto& weak : mSpans) {
        const auto span = weak.lock();
        if (span->start >= editEnd) {
            span->start += delta;
            span->end += delta;
        } else if (span->end > position) {
            span->start = std::min(span->start, position);
            span->end = span->end >= editEnd ? span->end + delta
                                             : position + static_cast<long>(with.size());
        }
    }
}

std::shared_ptr<DocModel> DocModel::open(const std::wstring& path, bool readOnly) {
    std::string bytes;
    if (!readFile(path, bytes))
        throw WordError{5174, L"Sorry, we couldn't find your file. Was it moved, renamed, or "
                              L"deleted?\r(" +
                                  path + L")"};
    std::shared_ptr<DocModel> doc;
    try {
        // The saved text ends with the only line break outside its strings.
        if (const size_t saved = bytes.find(SavedMagic); saved != std::string::npos)
            doc = loadSaved(bytes.substr(saved, bytes.find("]}\n", saved) + 3 - saved));
        else if (bytes.starts_with(std::string(CompoundFileMagic, 8)))
            doc = builtIn();
        if (doc && bytes.find(SavedMagic) == std::string::npos)
            doc->vbaProject = bytes.find(MacrosStorage) != std::string::npos;
        // Word tells a template by its contents; the stand-in, which has none, by its name.
        const size_t dot = path.find_last_of(L'.');
        const std::wstring extension = dot == std::wstring::npos ? L"" : path.substr(dot);
        if (doc && bytes.find(SavedMagic) == std::string::npos &&
            (sameName(extension.c_str(), L".dot") || sameName(extension.c_str(), L".dotx") ||
             sameName(extension.c_str(), L".dotm")))
            doc->fileFormat = TemplateFormat;
    } catch (const std::runtime_error&) {
    }
    if (!doc)
        throw WordError{5792, L"The file appears to be corrupted.\r(" + path + L")"};
    doc->path = path;
    doc->readOnly = readOnly;
    doc->hold(path);
    return doc;
}

void DocModel::save(const std::wstring& target, long fileFormat,
                    const ExportOptions* exported) const {
    std::string out = SavedMagic;
    auto next = [&out](char open) { return out.back() == open ? "\n" : ",\n"; };
    auto flag = [](bool on) { return on ? std::string("true") : std::string("false"); };
    out += ",\"version\":1,\"fileFormat\":" + std::to_string(fileFormat) + ",\n";
    if (exported)
        out += "\"export\":{\"includeDocProps\":" + flag(exported->docProps) +
               ",\"docStructureTags\":" + flag(exported->structureTags) +
               ",\"bitmapMissingFonts\":" + flag(exported->bitmapMissingFonts) +
               ",\"optimizeFor\":" + std::to_string(exported->optimizeFor) + "},\n";
    // A macro project goes only into a format that can hold one, and never into a PDF.
    out += "\"vbaProject\":" + flag(vbaProject && !exported && !macroFree(fileFormat)) + ",\n";
    out += "\"properties\":{";
    for (const auto& [name, value] : properties)
        if (!exported || exported->docProps)
            out += next('{') + quoteJson(name) + ":" + quoteJson(value);
    out += "},\n\"stories\":[";
    for (const auto& [type, story] : stories)
        out += next('[') + ("{\"type\":" + std::to_string(type)) +
               ",\"text\":" + quoteJson(story->text()) + "}";
    out += "],\n\"tables\":[";
    for (const auto& table : tables)
        out += next('[') + ("{\"start\":" + std::to_string(table->start)) +
               ",\"end\":" + std::to_string(table->end) + "}";
    out += "],\n\"shapes\":[";
    for (const ShapeModel& shape : shapes)
        out += next('[') + ("{\"name\":" + quoteJson(shape.name)) +
               (shape.text ? ",\"hasText\":true,\"text\":" + quoteJson(shape.text->text())
                           : std::string(",\"hasText\":false")) +
               "}";
    out += "]}\n";
    if (!writeFile(target, contained(fileFormat, out)))
        throw WordError{5096, L"Word cannot save or create this file. Make sure that the disk "
                              L"you want to save the file on is not full, write-protected, or "
                              L"damaged.\r(" +
                                  target + L")"};
}

bool DocModel::macroFree(long fileFormat) {
    // .docx, .dotx, Word's default (.docx), PDF and Strict Open XML.
    for (long format : {12L, 14L, 16L, 17L, 24L})
        if (fileFormat == format)
            return true;
    return false;
}

void DocModel::edit(Story& story, long position, long length, const std::wstring& with) {
    if (users)
        control::log(L"! " + name() + L" changed by the client: a document of the user's");
    story.replace(position, length, with);
    dirty = true;
}

std::vector<std::shared_ptr<Story>> DocModel::storyRanges() const {
    std::vector<std::shared_ptr<Story>> out;
    for (const auto& [type, story] : stories)
        out.push_back(story);
    const auto box = std::find_if(shapes.begin(), shapes.end(),
                                  [](const ShapeModel& shape) { return shape.text != nullptr; });
    if (box != shapes.end())
        out.push_back(box->text);
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a->type() < b->type(); });
    return out;
}

void DocModel::hold(const std::wstring& file) {
    lock.reset();
    // A read-only document still keeps the file from being deleted or renamed under it.
    const DWORD share = FILE_SHARE_READ | (readOnly ? FILE_SHARE_WRITE : 0);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        lock.reset(handle, CloseHandle);
}

std::wstring DocModel::name() const {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

} // namespace standin
