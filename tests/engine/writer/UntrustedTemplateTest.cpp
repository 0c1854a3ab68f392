// Templates from anyone, on the real engine: nothing outside them is fetched, and a password is
// refused at once rather than waited for. Their macros: TemplateMacrosTest.cpp.
#include "UntrustedTemplate.h"

#include "PackageFiles.h"
#include "generate/TemplateFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
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
