// The text that fits each recipient, resolved by the real engine in a .odt and a .docx of the
// user's own and read back from the saved files' XML.
#include "EngineTestSupport.h"
#include "NewsletterTemplate.h"
#include "generate/ConditionPass.h"
#include "generate/MakeNewsletter.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <map>

namespace brindlecast {
namespace {

using namespace testing;

// An address block, a block split across formatting, nested blocks across paragraphs, a
// table's two cells, a text frame and a header.
QString lettersFodt() {
    return fodtStart() + QStringLiteral(R"(
 <office:styles><style:style style:name="Frame" style:family="graphic"/>
  <style:style style:name="Address" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="Bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="fr1" style:family="graphic" style:parent-style-name="Frame"/>
  <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm"
   fo:page-height="29.7cm" fo:margin="2cm"/><style:header-style/></style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">
  <style:header><text:p>[IF Member]Members' news[ELSE]News[END IF] of [NLTitle]</text:p></style:header>
 </style:master-page></office:master-styles>
 <office:body><office:text>
  <text:p>Dear [IF Member]member [END IF][RecipientName],</text:p>
  <text:p>[IF <text:span text:style-name="Bold">Compa</text:span>nyName2]</text:p>
  <text:p>[CompanyName2]</text:p>
  <text:p>[end if]</text:p>
  <text:p text:style-name="Address">[StreetAddress2]</text:p>
  <text:p/>
  <text:p>[IF Member]Thanks for your [IF Member = "gold"]gold [END IF]year,</text:p>
  <text:p>see you soon.[ELSE]Join us![END IF]</text:p>
  <table:table table:name="Box"><table:table-column table:number-columns-repeated="2"/>
   <table:table-row>
    <table:table-cell><text:p>[IF CompanyName2]Firm: [CompanyName2][END IF]</text:p></table:table-cell>
    <table:table-cell><text:p>Keep</text:p><text:p>[IF NOT Member]Guest[END IF]</text:p></table:table-cell>
   </table:table-row>
  </table:table>
  <text:p><draw:frame draw:style-name="fr1" draw:name="Address" text:anchor-type="paragraph"
   svg:width="8cm" svg:height="3cm"><draw:text-box><text:p>[RecipientName]</text:p>
   <text:p>[IF CompanyName2][CompanyName2][END IF]</text:p><text:p>[CitySTZip2]</text:p>
   </draw:text-box></draw:frame>Regards</text:p>
 </office:text></office:body>
</office:document>
)");
}

using Values = std::map<QString, QString>;

// The paragraphs of an XML part in the order they end (a frame's before the paragraph that
// anchors it), leaving out the copies of a text box that a Word file keeps for older readers.
QStringList paragraphsOf(const QString& xml) {
    const bool word = xml.contains("wordprocessingml");
    QXmlStreamReader reader(xml);
    QStringList ended;
    std::vector<QString> open;
    int fallback = 0;
    bool inWordText = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.qualifiedName();
        const bool paragraph = name == u"text:p" || name == u"text:h" || name == u"w:p";
        if (name == u"mc:Fallback")
            fallback += reader.isStartElement() ? 1 : -1;
        if (fallback > 0 || (!reader.isCharacters() && name == u"mc:Fallback"))
            continue;
        if (reader.isStartElement() && paragraph) {
            open.emplace_back();
        } else if (reader.isEndElement() && paragraph) {
            ended << open.back();
            open.pop_back();
        } else if (name == u"w:t") {
            inWordText = reader.isStartElement();
        } else if (reader.isStartElement() && name == u"text:s" && !open.empty()) {
            const auto count = reader.attributes().value("text:c");
            open.back() += QString(count.isEmpty() ? 1 : count.toInt(), ' ');
        } else if (reader.isCharacters() && !open.empty() && (inWordText || !word)) {
            open.back() += reader.text();
        }
    }
    return ended;
}

QString part(const QString& file, const QString& name) {
    return toolOutput("unzip", {"-p", file, name});
}

class WriterConditions : public ::testing::Test {
protected:
    // The template exported as the user's own, in the office's own filter for `suffix`.
    QString userTemplate(const QString& suffix) {
        const QString fodt = environment.root("letters.fodt");
        QFile file(fodt);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lettersFodt().toUtf8());
        file.close();
        const QString path = environment.root("letters" + suffix);
        const auto application = sharedEngine().createApplication();
        writer::exportDocument(application->open(fodt, true), path,
                               suffix == ".docx" ? "MS Word 2007 XML" : "writer8");
        application->quit();
        return path;
    }

    // One recipient's newsletter made from `source` and saved in `format`.
    QString make(const QString& source, const Values& values, SaveFormat format,
                 const QString& name) {
        FillRound round;
        round.source = source;
        round.value = [&values](int index) {
            const auto it = values.find(FieldTag(index).mid(1).chopped(1));
            return it == values.end() ? QString() : it->second;
        };
        round.target = environment.root(name);
        round.format = format;
        round.conditions = [&values](const QString& named) -> std::optional<QString> {
            for (const auto& [key, value] : values)
                if (key.compare(named, Qt::CaseInsensitive) == 0)
                    return value;
            return std::nullopt;
        };
        MakeNewsletterFile(sharedEngine(), round);
        return round.target;
    }

    PrivateFolders environment;
};

// A value that looks like a marker is only text: the blocks are resolved before any value is in.
const Values Dana{{"NLTITLE", "Harbor News"},    {"RECIPIENTNAME", "Dana Hollis [ELSE]"},
                  {"COMPANYNAME2", "Quillmark"}, {"STREETADDRESS2", "41 Harbor View"},
                  {"CITYSTZIP2", "Millbrook"},   {"Member", "Gold"}};
const Values Ann{{"NLTITLE", "Harbor News"},
                 {"RECIPIENTNAME", "Ann Oduya"},
                 {"STREETADDRESS2", "2 Dock Lane"},
                 {"CITYSTZIP2", "Kelso"},
                 {"Member", " "}};

const QStringList DanaBody{"Dear member Dana Hollis [ELSE],",
                           "Quillmark",
                           "41 Harbor View",
                           "",
                           "Thanks for your gold year,",
                           "see you soon.",
                           "Firm: Quillmark",
                           "Keep",
                           "Dana Hollis [ELSE]",
                           "Quillmark",
                           "Millbrook",
                           "Regards"};
const QStringList AnnBody{"Dear Ann Oduya,", "2 Dock Lane", "",      "Join us!", "", "Keep",
                          "Guest",           "Ann Oduya",   "Kelso", "Regards"};

TEST_F(WriterConditions, AnOdtAndADocxKeepOnlyWhatFitsEachRecipient) {
    const QRegularExpression marker(R"(\[ *(IF|ELSE|END))",
                                    QRegularExpression::CaseInsensitiveOption);
    for (const QString& suffix : {QStringLiteral(".odt"), QStringLiteral(".docx")}) {
        SCOPED_TRACE(suffix.toStdString());
        const QString source = userTemplate(suffix);
        const bool odt = suffix == ".odt";
        const SaveFormat format = odt ? SaveFormat::Odt : SaveFormat::Docx;
        for (const auto& [values, body, header] :
             {std::tuple{Dana, DanaBody, "Members' news of Harbor News"},
              std::tuple{Ann, AnnBody, "News of Harbor News"}}) {
            const QString made = make(source, values, format, "out" + suffix);
            const QString content = part(made, odt ? "content.xml" : "word/document.xml");
            const QStringList paragraphs = paragraphsOf(content);
            EXPECT_EQ(paragraphs, body) << paragraphs.join(" | ").toStdString();
            // The line after a removed block keeps its own paragraph style.
            const QString street = values.at("STREETADDRESS2");
            const QString before = content.left(content.indexOf(">" + street + "<"));
            EXPECT_TRUE(before.sliced(before.lastIndexOf(odt ? "<text:p" : "<w:p>"))
                            .contains("\"Address\""));
            QStringList headers;
            for (const QString& entry : toolOutput("unzip", {"-Z1", made}).split('\n'))
                if (entry == "styles.xml" || entry.startsWith("word/header"))
                    headers << paragraphsOf(part(made, entry));
            EXPECT_TRUE(headers.contains(header)) << headers.join(" | ").toStdString();
            EXPECT_FALSE(paragraphs.join('\n').remove(values.at("RECIPIENTNAME")).contains(marker));
            EXPECT_FALSE(headers.join('\n').contains(marker));
        }
    }
}

TEST_F(WriterConditions, ABrokenBlockIsNamedAndNothingIsMade) {
    const QString fodt = lettersFodt().replace("<text:p>[end if]</text:p>", "<text:p/>");
    QFile file(environment.root("broken.fodt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(fodt.toUtf8());
    file.close();
    try {
        make(environment.root("broken.fodt"), Dana, SaveFormat::Odt, "broken.odt");
        ADD_FAILURE() << "made";
    } catch (const BlockError& error) {
        EXPECT_STREQ(error.what(), "[IF CompanyName2] (main text, paragraph 2) is not closed by "
                                   "an [END IF] before the table after it: a block cannot hold "
                                   "a table.");
    }
    EXPECT_FALSE(QFile::exists(environment.root("broken.odt")));
}

} // namespace
} // namespace brindlecast
