#pragma once

#include "EngineTestSupport.h"
#include "NewsletterTemplate.h"
#include "generate/FillPasses.h"

#include <QFile>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

// Templates from anyone, on the real engine: what the tests of such templates share.
namespace brindlecast::testing {

/// A Flat ODF text of `body`, with `scripts` (an office:scripts element) before it.
inline QString fodt(const QString& body, const QString& scripts = {}) {
    return (fodtStart() + QStringLiteral(R"(
 %1
 <office:body><office:text>%2</office:text></office:body>
</office:document>
)"))
        .arg(scripts, body);
}

/// The file kinds a template comes in, as suffix and the engine's export filter.
inline const std::vector<std::pair<QString, QString>> EveryKind{
    {".doc", "MS Word 97"}, {".docx", "MS Word 2007 XML"}, {".odt", "writer8"}};

class UntrustedTemplateTest : public ::testing::Test {
protected:
    // The Flat ODF `source`, stored by the engine in the formats of `filters` (none: as is).
    QStringList make(const QString& name, const QString& source,
                     const std::vector<std::pair<QString, QString>>& filters,
                     const QString& password = {}) {
        const QString flat = environment.root(name + ".fodt");
        writeFile(flat, source.toUtf8());
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
    static void fill(const QString& path, const QString& target, SaveFormat format) {
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

} // namespace brindlecast::testing
