// A template's macros on the real engine: none runs, and none goes into a newsletter, in
// whichever library the template keeps it.
#include "PackageFiles.h"
#include "UntrustedTemplate.h"
#include "engine/SaveFormats.h"
#include "generate/TemplateFile.h"

#include <QDir>
#include <QProcess>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

// Runs Main on every event a fill passes through: opening, storing, closing.
QString macroListeners() {
    QString listeners;
    for (const char* event :
         {"dom:load", "office:load-finished", "office:view-created", "office:copy-to",
          "office:copy-to-done", "office:prepare-unload", "dom:unload"})
        listeners += QStringLiteral(R"(<script:event-listener script:language="ooo:script"
 script:event-name="%1" xlink:href="vnd.sun.star.script:Standard.Module1.Main?language=Basic&amp;location=document"/>)")
                         .arg(QLatin1String(event));
    return QStringLiteral("<office:event-listeners>%1</office:event-listeners>").arg(listeners);
}

QString macroCode(const QString& marker) {
    return QStringLiteral("Sub Main\n  Open \"%1\" For Output As #1\n  Print #1, \"ran\"\n"
                          "  Close #1\nEnd Sub\n")
        .arg(marker)
        .toHtmlEscaped();
}

// The macro in a Flat ODF document.
QString macroScripts(const QString& marker) {
    return QStringLiteral(R"(<office:scripts><office:script script:language="ooo:Basic">
 <ooo:libraries><ooo:library-embedded ooo:name="Standard"><ooo:module ooo:name="Module1">
 <ooo:source-code>%1</ooo:source-code></ooo:module></ooo:library-embedded></ooo:libraries>
 </office:script>%2</office:scripts>)")
        .arg(macroCode(marker), macroListeners());
}

// A part of a Basic or dialog library folder, as the office writes it.
QByteArray libraryPart(const QByteArray& root, const QByteArray& type, const QByteArray& inner) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE )" +
           root + R"( PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" ")" + type + R"(.dtd">
)" + inner;
}

QByteArray libraryList(const QByteArray& names) {
    QByteArray list =
        R"(<library:libraries xmlns:library="http://openoffice.org/2000/library" xmlns:xlink="http://www.w3.org/1999/xlink">)";
    for (const QByteArray& name : names.split(' '))
        list += "\n <library:library library:name=\"" + name + "\" library:link=\"false\"/>";
    return libraryPart("library:libraries", "libraries", list + "\n</library:libraries>");
}

QByteArray library(const QByteArray& name, const QByteArray& element) {
    return libraryPart(
        "library:library", "library",
        R"(<library:library xmlns:library="http://openoffice.org/2000/library" library:name=")" +
            name +
            R"(" library:readonly="false" library:passwordprotected="false">
 <library:element library:name=")" +
            element + "\"/>\n</library:library>");
}

QByteArray module(const QByteArray& name, const QString& code) {
    return libraryPart(
        "script:module", "module",
        R"(<script:module xmlns:script="http://openoffice.org/2000/script" script:name=")" + name +
            R"(" script:language="StarBasic">)" + code.toUtf8() + "</script:module>");
}

// The macro in an OpenDocument package, laid out as the office lays it out: a folder per
// Basic library (Standard, where the office puts a macro, and one more), and a dialog in
// Standard whose button runs the macro.
QByteArray macroOdt(const QString& marker) {
    const QByteArray dialog = libraryPart(
        "dlg:window", "dialog",
        R"(<dlg:window xmlns:dlg="http://openoffice.org/2000/dialog" xmlns:script="http://openoffice.org/2000/script" dlg:id="Dialog1" dlg:left="100" dlg:top="100" dlg:width="200" dlg:height="100" dlg:closeable="true" dlg:moveable="true">
 <dlg:bulletinboard>
  <dlg:button dlg:id="CommandButton1" dlg:tab-index="0" dlg:left="10" dlg:top="10" dlg:width="60" dlg:height="20" dlg:value="Run">
   <script:event script:event-name="on-performaction" script:macro-name="vnd.sun.star.script:Standard.Module1.Main?language=Basic&amp;location=document" script:language="Script"/>
  </dlg:button>
 </dlg:bulletinboard>
</dlg:window>)");
    return OdtPackage(QStringLiteral("<office:scripts>%1</office:scripts><office:body><office:text>"
                                     "<text:p>[NLTITLE]</text:p></office:text></office:body>")
                          .arg(macroListeners()),
                      {}, {},
                      {{"Basic/Standard/Module1.xml", module("Module1", macroCode(marker))},
                       {"Basic/Standard/script-lb.xml", library("Standard", "Module1")},
                       {"Basic/Extra/Module2.xml", module("Module2", macroCode(marker))},
                       {"Basic/Extra/script-lb.xml", library("Extra", "Module2")},
                       {"Basic/script-lc.xml", libraryList("Standard Extra")},
                       {"Dialogs/Standard/Dialog1.xml", dialog},
                       {"Dialogs/Standard/dialog-lb.xml", library("Standard", "Dialog1")},
                       {"Dialogs/dialog-lc.xml", libraryList("Standard")}});
}

// The office itself, outside the engine, on a profile of its own at `profile` (made when
// missing), with `arguments`, until it ends or `done` says so.
void RunOffice(const QString& profile, const QStringList& arguments,
               const std::function<bool()>& done) {
    QDir().mkpath(profile + "/user");
    QProcess office;
    for (int start = 0; start < 3 && !done(); ++start) {
        office.start("/usr/lib/libreoffice/program/soffice.bin",
                     QStringList{"-env:UserInstallation=" + QUrl::fromLocalFile(profile).toString(),
                                 "--headless", "--norestore"} +
                         arguments);
        // A fresh profile's first start only makes the profile and ends (with 81).
        for (int wait = 0; wait < 600 && !done(); ++wait)
            if (office.waitForFinished(100))
                break;
        if (office.state() == QProcess::NotRunning && office.exitCode() != 81)
            break;
    }
    office.kill();
    office.waitForFinished();
}

TEST_F(UntrustedTemplateTest, AMacroThatRunsOnOpeningNeverRuns) {
    const QString marker = environment.root("marker");
    // The engine takes macros out of what it writes, so the templates are made by hand.
    const QString flat = environment.root("macro.fodt");
    writeFile(flat, fodt("<text:p>[NLTITLE]</text:p>", macroScripts(marker)).toUtf8());
    const QStringList templates{environment.root("macro.odt")};
    writeFile(templates[0], macroOdt(marker));
    for (const QString& path : templates + QStringList{flat}) {
        fill(path, path + ".out.doc", SaveFormat::Doc);
        fill(path, path + ".pdf", SaveFormat::Pdf);
        EXPECT_TRUE(independentText(path + ".out.doc").contains("Harbor News"));
    }
    EXPECT_FALSE(QFile::exists(marker)) << "a macro of the template ran";

    // The same file in an office that lets macros run, opening it as a person would: the
    // macro is real and does write the file.
    const QString profile = environment.root("lax-profile");
    QDir().mkpath(profile + "/user");
    writeFile(profile + "/user/registrymodifications.xcu",
              R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"><item
 oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel"
 oor:op="fuse"><value>0</value></prop></item></oor:items>)");
    RunOffice(profile, {templates[0]}, [&] { return QFile::exists(marker); });
    EXPECT_TRUE(QFile::exists(marker)) << "the macro does not run even where macros may";
}

// What the compound file `path` holds under any of `names` (UTF-16 names in its directory).
QStringList compoundNames(const QString& path, const QStringList& names) {
    QFile file(path);
    QStringList found;
    if (!file.open(QIODevice::ReadOnly))
        return {"(unreadable)"};
    const QByteArray bytes = file.readAll();
    for (const QString& name : names)
        if (bytes.contains(
                QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2) +
                QByteArray(2, '\0')))
            found << name;
    return found;
}

TEST_F(UntrustedTemplateTest, NoMacroGoesIntoANewsletter) {
    // Any OLE file will do as the Word macro project: the engine keeps it as it is.
    const QString project = make("project", fodt("<text:p/>"), {{".doc", "MS Word 97"}})[0];
    QStringList templates{environment.root("macros.docx"), environment.root("macros.odt")};
    QFile projectFile(project);
    ASSERT_TRUE(projectFile.open(QIODevice::ReadOnly));
    writeFile(templates[0],
              DocxWithMacros("<w:p><w:r><w:t>[NLTitle]</w:t></w:r></w:p>", projectFile.readAll()));
    writeFile(templates[1], macroOdt(environment.root("marker")));
    // And as the office itself writes them, a document and a template.
    for (const char* kind : {"odt", "ott"}) {
        RunOffice(environment.root("profile"),
                  {"--convert-to", kind, "--outdir", environment.root("office"), templates[1]},
                  [] { return false; });
        templates << environment.root("office/macros.%1").arg(QLatin1String(kind));
        const QString parts = toolOutput("unzip", {"-l", templates.last()});
        for (const char* part : {"Basic/Standard/Module1.xml", "Basic/Extra/Module2.xml",
                                 "Dialogs/Standard/Dialog1.xml"})
            ASSERT_TRUE(parts.contains(part))
                << part << " not in " << templates.last().toStdString();
    }
    for (const QString& path : templates) {
        ASSERT_FALSE(ReadTemplateFile(path).macros.isEmpty()) << path.toStdString();
        for (const SaveFormat format : {SaveFormat::Docx, SaveFormat::Odt, SaveFormat::Doc}) {
            const QString made = path + SaveExtension(format);
            fill(path, made, format);
            // What check-template says of a template holds for what is made of it.
            EXPECT_EQ(ReadTemplateFile(made).macros.toStdString(), "") << made.toStdString();
            if (format == SaveFormat::Doc) {
                EXPECT_TRUE(independentText(made).contains("Harbor News")) << made.toStdString();
                EXPECT_EQ(compoundNames(made, {"Macros", "VBA", "_VBA_PROJECT", "PROJECT"})
                              .join(' ')
                              .toStdString(),
                          "")
                    << made.toStdString();
                continue;
            }
            const QString parts =
                toolOutput("unzip", {"-l", made}) + toolOutput("unzip", {"-p", made, "*.xml"});
            ASSERT_TRUE(parts.contains("document")) << made.toStdString();
            for (const char* macros : {"vbaProject", "macroEnabled", "Basic/", "Dialogs/",
                                       "script:event", "Standard.Module1"})
                EXPECT_FALSE(parts.contains(macros)) << macros << " in " << made.toStdString();
        }
    }
}

} // namespace
} // namespace brindlecast
