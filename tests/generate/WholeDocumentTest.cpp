// What a full disk leaves of a newsletter: an empty file, or one cut short that still begins as
// its format does. Neither counts as made.
#include "generate/WholeDocument.h"

#include "fakes/StoredZip.h"
#include "generate/TemplateStore.h"
#include "support/Isolated.h"

namespace brindlecast {
namespace {

using WholeDocumentTest = testing::Isolated;

TEST_F(WholeDocumentTest, TellsWholeDocumentsFromEmptyAndCutOnes) {
    using engine::SaveFormat;
    const QByteArray pdf = "%PDF-1.7\n" + QByteArray(3000, 'p') + "\ntrailer\n%%EOF\n";
    const QByteArray zip =
        fakes::StoredZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                          {"content.xml", QByteArray(5000, 'c')}});
    const QByteArray doc = LoadTemplateResource(TemplateResourceId(1));
    for (const auto& [bytes, format] :
         std::vector<std::pair<QByteArray, SaveFormat>>{{doc, SaveFormat::Doc},
                                                        {zip, SaveFormat::Docx},
                                                        {zip, SaveFormat::Odt},
                                                        {pdf, SaveFormat::Pdf}}) {
        const QString name = root(QStringLiteral("news%1").arg(int(format)));
        writeAll(name, bytes);
        EXPECT_EQ(WhyNotWhole(name, format), QString()) << int(format);
        // Cut at a page of memory, as a disk that filled up cuts a file.
        writeAll(name, bytes.left(bytes.size() > 8192 ? 8192 : bytes.size() / 2));
        EXPECT_EQ(WhyNotWhole(name, format), "it is cut short or no document of its kind")
            << int(format);
        writeAll(name, "");
        EXPECT_EQ(WhyNotWhole(name, format), "it is empty") << int(format);
    }
    EXPECT_TRUE(WhyNotWhole(root("missing.doc"), SaveFormat::Doc).startsWith("it cannot be read"));
}

} // namespace
} // namespace brindlecast
