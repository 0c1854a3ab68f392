// A frozen engine under the request deadline, through the real window and the real engine.
#include "app/EventPumps.h"
#include "app/PrivateClipboard.h"
#include "app/Services.h"
#include "engine/DeadlineEngine.h"
#include "engine/writer/WriterEngine.h"
#include "entry/Form1.h"
#include "fakes/FakeServices.h"
#include "preview/Form2.h"
#include "support/Isolated.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <csignal>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;

bool processRunsNow(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

// A killed process takes a moment to go; what matters is that it goes.
bool processRuns(pid_t pid) {
    QElapsedTimer timer;
    timer.start();
    while (processRunsNow(pid) && timer.elapsed() < 2000)
        QThread::msleep(10);
    return processRunsNow(pid);
}

class FaultsTest : public testing::Isolated {
protected:
    // A cold start takes about as long as the short deadline of these tests: it is made before.
    FaultsTest() { writer.createApplication(); }
    // Nothing of a run may be left in TEMP but the engine's own folder.
    QStringList leftovers() const {
        QStringList names = QDir(temp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        names.removeIf([](const QString& name) { return name.startsWith("brindlecast-engine-"); });
        return names;
    }
    void generate(Form1& form) {
        QTest::mouseClick(form.findChild<QPushButton*>("PushButton6"), Qt::LeftButton);
    }

    PrivateClipboard clipboard;
    engine::writer::WriterEngine writer{clipboard};
    engine::DeadlineEngine engine{writer,
                                  {3s, ProcessEventsWhileBusy, [this] { return fake.ended > 0; }}};
    fakes::FakeServices fake{root(), &clipboard, &engine};
};

TEST_F(FaultsTest, AFrozenEngineGivesOneBoxAtTheDeadlineAndTheNextRunWorks) {
    Form1 form(fake.services);
    ASSERT_TRUE(form.Form_Load());
    form.showCentred();
    form.PushButton3_Click();
    const pid_t frozen = writer.processId();
    ASSERT_EQ(::kill(frozen, SIGSTOP), 0);

    QElapsedTimer timer;
    timer.start();
    generate(form);
    EXPECT_LT(timer.elapsed(), 3000 + 2000);
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_TRUE(fake.boxes.shown[0].prompt.startsWith(
        "The document engine did not answer within 3 seconds and was stopped.\r\n"))
        << fake.boxes.shown[0].prompt.toStdString();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(leftovers(), QStringList());
    EXPECT_FALSE(processRuns(frozen));

    // The fresh engine's cold start, made here, would take most of the short deadline.
    writer.createApplication();
    fake.boxes.shown.clear();
    generate(form);
    EXPECT_TRUE(fake.boxes.shown.empty()) << fake.boxes.shown[0].prompt.toStdString();
    ASSERT_NE(form.form2(), nullptr);
    EXPECT_TRUE(form.form2()->isVisible());
    EXPECT_NE(writer.processId(), frozen);
}

TEST_F(FaultsTest, ClosingTheWindowDuringAFrozenRunEndsItWithinTwoSeconds) {
    Form1 form(fake.services);
    ASSERT_TRUE(form.Form_Load());
    form.showCentred();
    const pid_t frozen = writer.processId();
    ASSERT_EQ(::kill(frozen, SIGSTOP), 0);
    QElapsedTimer timer;
    QTimer::singleShot(500, &form, [&] {
        timer.start();
        form.close();
    });
    generate(form);
    EXPECT_EQ(fake.ended, 1);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(form.form2(), nullptr);
    EXPECT_FALSE(processRuns(frozen));
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace
} // namespace brindlecast
