// The mail merge window on the real engine, as a person uses it: a list opened, filtered,
// three recipients previewed, the ticked ones made, then sent to a mail server on the loopback
// address, a test first, a run cancelled half-way and started again.
#include "merge/MergeWindow.h"

#include "cli/CommandTest.h"
#include "mail/MailServer.h"
#include "merge/PreviewPane.h"
#include "merge/RunDialog.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace brindlecast {
namespace {

using testing::MailServer;

constexpr int EngineWait = 180000;

class MergeWindowTest : public testing::CommandTest {
protected:
    template <typename T> T* child(MergeWindow& window, const char* name) {
        T* found = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // Waits for the preview of the recipient now selected.
    static QImage previewed(MergeWindow& window, QSignalSpy& shown) {
        EXPECT_TRUE(shown.wait(EngineWait));
        return window.findChild<PreviewPane*>(QStringLiteral("preview"))->picture();
    }
    static int ended(RunDialog* dialog) {
        QSignalSpy end(dialog, &RunDialog::ended);
        EXPECT_TRUE(dialog->exitCode() >= 0 || end.wait(EngineWait))
            << dialog->account().toStdString();
        return dialog->exitCode();
    }
};

TEST_F(MergeWindowTest, AListIsPreviewedMadeAndSentATestFirstThenTheRestAfterACancel) {
    writeAll(root("list.csv"), "Name,Company,Email\n"
                               "Dana Hollis,Hollis & Co,dana@example.org\n"
                               "Ravi Menon,Menon Ltd,ravi@example.org\n"
                               "Ines Duarte,Duarte SA,ines@example.org\n"
                               "Dana Hollis again,Hollis & Co,DANA@example.org\n");
    MergeWindow window;
    QSignalSpy shown(&window, &MergeWindow::previewShown);
    window.openList(root("list.csv"));
    auto* table = child<QTableView>(window, "recipients");
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 4, EngineWait);
    // The one on the list twice is left out, as the command line leaves it out.
    EXPECT_EQ(child<QLabel>(window, "counts")->text(), "3 of 4 ticked");

    // The first ticked one is shown by itself; the steps go on through the ticked ones.
    std::vector<QImage> pictures{previewed(window, shown)};
    auto* preview = child<PreviewPane>(window, "preview");
    EXPECT_TRUE(preview->description().contains("Dana Hollis"))
        << preview->description().toStdString();
    QPushButton* next = nullptr;
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == "Ne&xt")
            next = button;
    ASSERT_NE(next, nullptr);
    for (const char* name : {"Ravi Menon", "Ines Duarte"}) {
        next->click();
        pictures.push_back(previewed(window, shown));
        EXPECT_TRUE(preview->description().contains(name)) << name;
    }
    for (size_t i = 0; i < pictures.size(); ++i) {
        ASSERT_FALSE(pictures[i].isNull()) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_TRUE(pictures[i] != pictures[j]) << i << " shows what " << j << " showed";
    }
    auto* filter = child<QLineEdit>(window, "filter");
    QTest::keyClicks(filter, "menon");
    EXPECT_EQ(table->model()->rowCount(), 1);
    filter->clear();

    cli::MakeOptions make = window.runOptions();
    make.output = root("made");
    make.format = "odt";
    EXPECT_EQ(ended(window.startRun("Making", make.output, make)), 0);
    QStringList made;
    for (QDirIterator files(root("made"), QDir::Files); files.hasNext();)
        made << textOf(files.next());
    ASSERT_EQ(made.size(), 3);
    EXPECT_EQ(made.filter("Ravi Menon").size(), 1);

    MailServer server(root("server"), {});
    writeAll(root("body.txt"), "Hello [Name].\n");
    cli::SendOptions send;
    send.make = window.runOptions();
    send.smtp = server.url();
    send.user = "dana";
    send.password = "secret";
    send.from = "news@example.org";
    send.subject = "News for [Name]";
    send.body = root("body.txt");
    send.caFile = MailServer::Authority();
    send.testTo = "me@example.org";
    EXPECT_EQ(ended(window.startSend("Test", send)), 0);
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_TRUE(server.messages()[0].toObject()["Subject"].toString().contains("[Test]"));

    // One a second: the run is cancelled once the first is in, and ends after it.
    send.testTo.clear();
    send.rate = "60";
    RunDialog* run = window.startSend("Sending", send);
    QTRY_VERIFY_WITH_TIMEOUT(server.messages().size() >= 2, EngineWait);
    run->reject();
    EXPECT_NE(ended(run), 0);
    const int before = int(server.messages().size());
    EXPECT_LT(before, 4) << "Cancel did not stop the run";

    // Opened again, the list shows who has it; the rest get theirs, nobody a second one.
    window.openList(root("list.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 4, EngineWait);
    EXPECT_EQ(child<QLabel>(window, "counts")->text(),
              QStringLiteral("%1 of 4 ticked").arg(3 - (before - 1)));
    send.make = window.runOptions();
    send.rate = "0";
    EXPECT_EQ(ended(window.startSend("Sending", send)), 0);
    QStringList to;
    for (const QJsonValue& message : server.messages())
        to << message.toObject()["to_address"].toString();
    to.sort();
    EXPECT_EQ(to, QStringList({"dana@example.org", "ines@example.org", "me@example.org",
                               "ravi@example.org"}));
}

} // namespace
} // namespace brindlecast
