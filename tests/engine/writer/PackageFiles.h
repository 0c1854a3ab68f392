#pragma once

#include "fakes/StoredZip.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Documents made byte by byte, for what the engine's own export would not write: links to files
// outside it, macros, which the engine takes out.
namespace brindlecast::testing {

using ZipParts = std::vector<std::pair<QByteArray, QByteArray>>;

/// An OpenDocument text: `content`, `styles` and `meta` are the inner XML of the three parts'
/// roots; `more` are further parts (pictures, Basic libraries), listed in the manifest.
inline QByteArray OdtPackage(const QString& content, const QString& styles = {},
                             const QString& meta = {}, const ZipParts& more = {}) {
    const QByteArray start = R"(<?xml version="1.0" encoding="UTF-8"?><office:)";
    const QByteArray namespaces =
        R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:ooo="http://openoffice.org/2004/office" office:version="1.3">)";
    const auto part = [&](const QByteArray& root, const QString& inner) {
        return start + root + namespaces + inner.toUtf8() + "</office:" + root + ">";
    };
    QByteArray manifest = R"(<?xml version="1.0" encoding="UTF-8"?><manifest:manifest
 xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">
 <manifest:file-entry manifest:full-path="/"
  manifest:media-type="application/vnd.oasis.opendocument.text"/>)";
    ZipParts parts{{"mimetype", "application/vnd.oasis.opendocument.text"},
                   {"content.xml", part("document-content", content)},
                   {"styles.xml", part("document-styles", styles)},
                   {"meta.xml", part("document-meta", "<office:meta>" + meta + "</office:meta>")}};
    parts.insert(parts.end(), more.begin(), more.end());
    for (auto part = parts.begin() + 1; part != parts.end(); ++part)
        manifest += "<manifest:file-entry manifest:media-type=\"" +
                    QByteArray(part->first.endsWith(".xml") ? "text/xml" : "") +
                    "\" manifest:full-path=\"" + part->first + "\"/>";
    parts.emplace_back("META-INF/manifest.xml", manifest + "</manifest:manifest>");
    return fakes::StoredZip(parts);
}

/// A Word document with macros, as Word saves a .docm, under any name: `body` is the inner XML
/// of its w:body, `project` its macro project (an OLE file).
inline QByteArray DocxWithMacros(const QString& body, const QByteArray& project) {
    const QByteArray start = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    const QByteArray relations = "http://schemas.openxmlformats.org/package/2006/relationships";
    const auto relation = [&](const QByteArray& type, const QByteArray& target) {
        return start + "<Relationships xmlns=\"" + relations +
               "\"><Relationship Id=\"rId1\" Type=\"" + type + "\" Target=\"" + target +
               "\"/></Relationships>";
    };
    return fakes::StoredZip(
        {{"[Content_Types].xml",
          start + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/>
<Override PartName="/word/document.xml"
 ContentType="application/vnd.ms-word.document.macroEnabled.main+xml"/></Types>)"},
         {"_rels/.rels",
          relation("http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                   "officeDocument",
                   "word/document.xml")},
         {"word/document.xml",
          start +
              R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)" +
              body.toUtf8() + "</w:body></w:document>"},
         {"word/_rels/document.xml.rels",
          relation("http://schemas.microsoft.com/office/2006/relationships/vbaProject",
                   "vbaProject.bin")},
         {"word/vbaProject.bin", project}});
}

} // namespace brindlecast::testing
