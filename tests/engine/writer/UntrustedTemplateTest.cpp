// Templates from anyone, on the real engine: nothing in them runs, nothing outside them is
// fetched, and a password is refused at once rather than waited for.
#include "EngineTestSupport.h"
#include "NewsletterTemplate.h"
#include "PackageFiles.h"
#include "generate/FillPasses.h"
#include "generate/TemplateFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

QString fodt(const QString& body, const QString& scripts = {}) {
    return (testing::fodtStart() + QStringLiteral(R"(
 %1
 <office:body><office:text>%2</office:text></office:body>
</office:document>
)"))
        .arg(scripts, body);
}

class UntrustedTemplateTest : public ::testing::Test {
protected:
    // The Flat ODF `source`, stored by the engine in the formats of `filters` (none: as is).
    QStringList make(const QString& name, const QString& source,
                     const std::vector<std::pair<QString, QString>>& filters,
                     const QString& password = {}) {
        const QString flat = environment.root(name + ".fodt");
        QFile file(flat);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(source.toUtf8());
        file.close();
        QStringList made;
        const auto application = sharedEngine().createApplication();
        Document& document = application->open(flat, true);
        for (const auto& [suffix, filter] : filters) {
            made << environment.root(name + suffix);
            writer::exportDocument(document, made.last(), filter, password);
        }
        application->quit();
        return made;
    }
    // Opens, fills and saves `path` as a generation run does.
    void fill(const QString& path, const QString& target, SaveFormat format) {
        const auto application = sharedEngine().createApplication();
        Document& document = application->open(path, true);
        const auto value = [](int) { return QStringLiteral("Harbor News"); };
        StoryPass(document, value);
        IssueDatePass(*application, QStringLiteral("March 14, 2026"));
        ShapePass(document, value, QStringLiteral("March 14, 2026"));
        document.saveAs(target, format);
        application->quit();
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    PrivateFolders environment;
};

const std::vector<std::pair<QString, QString>> EveryKind{
    {".doc", "MS Word 97"}, {".docx", "MS Word 2007 XML"}, {".odt", "writer8"}};

// A web server on a thread of its own that counts requests and answers each with "not found",
// so that an engine that does fetch goes on rather than waiting for an answer.
class CountingServer {
public:
    CountingServer() {
        std::promise<quint16> port;
        mThread = std::thread([this, &port] {
            QTcpServer server;
            port.set_value(server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0);
            while (!mStop) {
                if (!server.waitForNewConnection(50))
                    continue;
                std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
                ++requests;
                socket->waitForReadyRead(1000);
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                socket->waitForBytesWritten(1000);
            }
        });
        mPort = port.get_future().get();
    }
    ~CountingServer() {
        mStop = true;
        mThread.join();
    }
    quint16 port() const { return mPort; }
    std::atomic<int> requests{0};

private:
    std::atomic<bool> mStop{false};
    std::thread mThread;
    quint16 mPort = 0;
};

TEST_F(UntrustedTemplateTest, ALinkedPictureIsNeverFetched) {
    CountingServer server;
    ASSERT_NE(server.port(), 0);
    const QString picture = QStringLiteral("http://127.0.0.1:%1/logo.png").arg(server.port());
    const QStringList templates =
        make("linked",
             fodt(QStringLiteral(
                      R"(<text:p>[NLTITLE]<draw:frame draw:name="Logo" text:anchor-type="paragraph"
 svg:width="3cm" svg:height="3cm"><draw:image xlink:href="%1" xlink:type="simple"
 xlink:show="embed" xlink:actuate="onLoad"/></draw:frame></text:p>)")
                      .arg(picture)),
             EveryKind);
    const TemplateKind kinds[] = {TemplateKind::Word97, TemplateKind::WordXml,
                                  TemplateKind::OpenDocument};
    for (const QString& path : templates) {
        EXPECT_EQ(ReadTemplateFile(path).kind, kinds[templates.indexOf(path)]);
        fill(path, path + ".pdf", SaveFormat::Pdf);
        fill(path, path + ".out.doc", SaveFormat::Doc);
        EXPECT_TRUE(independentText(path + ".out.doc").contains("Harbor News"));
    }
    EXPECT_EQ(server.requests, 0) << "the engine fetched " << picture.toStdString();
}

// A template that points outside itself in every way an OpenDocument file can: a paragraph's
// background, a bullet, a fill, a framed picture, a page background, a section, its template.
QByteArray linkingOdt(const QString& outside) {
    const auto picture = [](const char* element, const char* more = "") {
        return QStringLiteral(R"(<%1 xlink:href="%4/%3.png" xlink:type="simple" %2/>)")
            .arg(QLatin1String(element), QLatin1String(more), QString(element).section(':', 1));
    };
    const QString content =
        R"(<office:automatic-styles><style:style style:name="P1" style:family="paragraph">
 <style:paragraph-properties>)" +
        picture("style:background-image") +
        R"(</style:paragraph-properties></style:style><text:list-style style:name="L1">)" +
        picture("text:list-level-style-image", R"(text:level="1")") +
        R"(</text:list-style></office:automatic-styles><office:body><office:text>
 <text:p text:style-name="P1">[NLTitle]</text:p><text:p text:style-name="Filled">Filled</text:p>
 <text:list text:style-name="L1"><text:list-item><text:p>Bullet</text:p></text:list-item>
 </text:list><text:p><draw:frame draw:name="Linked" text:anchor-type="as-char" svg:width="1cm"
 svg:height="1cm">)" +
        picture("draw:image") + R"(</draw:frame></text:p><text:section text:name="S">)" +
        picture("text:section-source") + R"(<text:p>Section</text:p></text:section>
 </office:text></office:body>)";
    const QString styles = R"(<office:styles>)" + picture("draw:fill-image", R"(draw:name="F")") +
                           R"(<style:style style:name="Filled" style:family="paragraph">
 <style:paragraph-properties draw:fill="bitmap" draw:fill-image-name="F"/></style:style>
 </office:styles><office:automatic-styles><style:page-layout style:name="pm1">
 <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm">)" +
                           picture("style:background-image") +
                           R"(</style:page-layout-properties></style:page-layout>
 </office:automatic-styles><office:master-styles><style:master-page style:name="Standard"
 style:page-layout-name="pm1"/></office:master-styles>)";
    return OdtPackage(content.arg(outside), styles.arg(outside),
                      picture("meta:template").arg(outside));
}

TEST_F(UntrustedTemplateTest, NothingOutsideTheTemplateIsOpened) {
    const QString outside = environment.root("outside");
    QDir().mkpath(outside);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (const char* name : {"background-image", "list-level-style-image", "image", "fill-image",
                             "section-source", "template"})
        picture.save(outside + '/' + name + ".png");
    const QString path = environment.root("linking.odt");
    writeFile(path, linkingOdt(QUrl::fromLocalFile(outside).toString()));

    // Whoever opens a file there, the engine it is.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(outside).constData(), IN_OPEN), 0);
    for (const SaveFormat format :
         {SaveFormat::Doc, SaveFormat::Docx, SaveFormat::Odt, SaveFormat::Pdf})
        fill(path, environment.root("made%1").arg(int(format)), format);
    alignas(inotify_event) char events[4096];
    const ssize_t got = ::read(watch, events, sizeof events);
    ::close(watch);
    EXPECT_LT(got, 0) << "the engine opened "
                      << reinterpret_cast<const inotify_event*>(events)->name;
    EXPECT_TRUE(independentText(environment.root("made0")).contains("Harbor News"));
}

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

// The macro in an OpenDocument package, where its Basic library is a folder of its own.
QByteArray macroOdt(const QString& marker) {
    const QByteArray libraries = R"(<?xml version="1.0" encoding="UTF-8"?>
<library:libraries xmlns:library="http://openoffice.org/2000/library" xmlns:xlink="http://www.w3.org/1999/xlink">
 <library:library library:name="Standard" library:link="false"/></library:libraries>)";
    const QByteArray library = R"(<?xml version="1.0" encoding="UTF-8"?>
<library:library xmlns:library="http://openoffice.org/2000/library" library:name="Standard"
 library:readonly="false" library:passwordprotected="false">
 <library:element library:name="Module1"/></library:library>)";
    const QByteArray module = R"(<?xml version="1.0" encoding="UTF-8"?>
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1"
 script:language="StarBasic">)" +
                              macroCode(marker).toUtf8() + "</script:module>";
    return OdtPackage(QStringLiteral("<office:scripts>%1</office:scripts><office:body><office:text>"
                                     "<text:p>[NLTITLE]</text:p></office:text></office:body>")
                          .arg(macroListeners()),
                      {}, {},
                      {{"Basic/script-lc.xml", libraries},
                       {"Basic/Standard/script-lb.xml", library},
                       {"Basic/Standard/Module1.xml", module}});
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
    QFile settings(profile + "/user/registrymodifications.xcu");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"><item
 oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel"
 oor:op="fuse"><value>0</value></prop></item></oor:items>)");
    settings.close();
    QProcess office;
    for (int start = 0; start < 3 && !QFile::exists(marker); ++start) {
        office.start("/usr/lib/libreoffice/program/soffice.bin",
                     {"-env:UserInstallation=" + QUrl::fromLocalFile(profile).toString(),
                      "--headless", "--norestore", templates[0]});
        // A fresh profile's first start only makes the profile and ends.
        for (int wait = 0; wait < 300 && !QFile::exists(marker); ++wait)
            if (office.waitForFinished(100))
                break;
    }
    EXPECT_TRUE(QFile::exists(marker)) << "the macro does not run even where macros may";
    office.kill();
    office.waitForFinished();
}

TEST_F(UntrustedTemplateTest, NoMacroGoesIntoANewsletter) {
    // Any OLE file will do as the Word macro project: the engine keeps it as it is.
    const QString project = make("project", fodt("<text:p/>"), {{".doc", "MS Word 97"}})[0];
    const QStringList templates{environment.root("macros.docx"), environment.root("macros.odt")};
    QFile projectFile(project);
    ASSERT_TRUE(projectFile.open(QIODevice::ReadOnly));
    writeFile(templates[0],
              DocxWithMacros("<w:p><w:r><w:t>[NLTitle]</w:t></w:r></w:p>", projectFile.readAll()));
    writeFile(templates[1], macroOdt(environment.root("marker")));
    for (const QString& path : templates) {
        for (const SaveFormat format : {SaveFormat::Docx, SaveFormat::Odt}) {
            const QString made = path + (format == SaveFormat::Odt ? ".odt" : ".docx");
            fill(path, made, format);
            const QString parts =
                toolOutput("unzip", {"-l", made}) + toolOutput("unzip", {"-p", made, "*.xml"});
            ASSERT_TRUE(parts.contains("document")) << made.toStdString();
            for (const char* macros : {"vbaProject", "macroEnabled", "Basic/", "script:event"})
                EXPECT_FALSE(parts.contains(macros)) << macros << " in " << made.toStdString();
        }
    }
}

TEST_F(UntrustedTemplateTest, APasswordIsRefusedAtOnce) {
    const QStringList templates =
        make("locked", fodt("<text:p>[NLTITLE]</text:p>"), EveryKind, QStringLiteral("secret"));
    for (const QString& path : templates) {
        // Seen before any engine opens it, and by the engine too, should it be given one.
        try {
            ReadTemplateFile(path);
            ADD_FAILURE() << "took " << path.toStdString();
        } catch (const TemplateError& error) {
            EXPECT_TRUE(QString(error.what()).contains("is protected by a password"))
                << error.what();
        }
        const auto application = sharedEngine().createApplication();
        QElapsedTimer timer;
        timer.start();
        try {
            application->open(path, true);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const EngineError& error) {
            EXPECT_TRUE(QString(error.what()).contains("protected by a password")) << error.what();
        }
        EXPECT_LT(timer.elapsed(), 10000);
    }
}

} // namespace
} // namespace brindlecast
