// A recipient list dropped on the main window, which otherwise stays as it always was.
#include "entry/Form1.h"
#include "fakes/FakeServices.h"
#include "support/Isolated.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

namespace brindlecast {
namespace {

class Form1DropTest : public testing::Isolated, protected fakes::FakeServices {
protected:
    Form1DropTest()
        : FakeServices(root("program")) {}
    void SetUp() override {
        form = std::make_unique<Form1>(services);
        ASSERT_TRUE(form->Form_Load());
        form->showCentred();
    }
    void TearDown() override { form.reset(); }

    // Drags files from a file manager over `over` and drops them: their URLs, and their names as
    // text, which the fields would take. The window system gives the drag to the first widget
    // from there up that takes drops. Says whether the drop was taken, and as what.
    bool drop(QWidget* over, const QList<QUrl>& files,
              Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
              Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMimeData data;
        data.setUrls(files);
        QStringList names;
        for (const QUrl& file : files)
            names << file.toString();
        data.setText(names.join('\n'));
        QWidget* target = over;
        while (!target->acceptDrops() && !target->isWindow())
            target = target->parentWidget();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, keys);
        enter.setAccepted(false);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, offered, &data, Qt::LeftButton, keys);
        dropped.setAccepted(false);
        QApplication::sendEvent(target, &dropped);
        action = dropped.dropAction();
        return dropped.isAccepted();
    }
    QUrl file(const QString& name) const { return QUrl::fromLocalFile(root(name)); }
    // What a user sees of the window: every widget's place, visibility and words.
    QStringList looks() const {
        QStringList seen{QStringLiteral("%1x%2").arg(form->width()).arg(form->height())};
        for (const QWidget* widget : form->findChildren<QWidget*>()) {
            QString words = widget->property("text").toString();
            if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
                words = frame->title();
            const QRect place = widget->geometry();
            seen << QStringLiteral("%1 %2 %3,%4 %5x%6 %7 %8")
                        .arg(widget->objectName(), widget->metaObject()->className())
                        .arg(place.x())
                        .arg(place.y())
                        .arg(place.width())
                        .arg(place.height())
                        .arg(widget->isVisibleTo(form.get()))
                        .arg(words);
        }
        return seen;
    }

    std::unique_ptr<Form1> form;
    Qt::DropAction action = Qt::IgnoreAction;
};

TEST_F(Form1DropTest, AListDroppedAnywhereGoesToTheMailMergeAndNothingElseChanges) {
    form->Text1(0)->setText("Harbor News");
    const QStringList before = looks();
    // Until something listens, a list is refused like every other drop.
    EXPECT_FALSE(drop(form.get(), {file("members.csv")}));

    QStringList dropped;
    QObject::connect(form.get(), &Form1::listDropped,
                     [&](const QString& path) { dropped << path; });
    EXPECT_TRUE(drop(form->findChild<QLabel*>("Label1_4"), {file("members.csv")}));
    EXPECT_TRUE(drop(form->Text1(0), {file("Members 2026.XLSX")}));
    EXPECT_TRUE(drop(form->findChild<QPushButton*>("PushButton6"), {file("friends.vcf")}));
    // Shift asks the file manager for a move; the window takes a copy, so the file stays.
    EXPECT_TRUE(drop(form->DateTimePicker1(), {file("list.json")}, Qt::CopyAction | Qt::MoveAction,
                     Qt::ShiftModifier));
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(dropped, QStringList({root("members.csv"), root("Members 2026.XLSX"),
                                    root("friends.vcf"), root("list.json")}));

    // Anything else is not a list: refused, or text for a field as it always was.
    dropped.clear();
    EXPECT_FALSE(drop(form.get(), {file("photo.png")}));
    EXPECT_FALSE(drop(form.get(), {file("a.csv"), file("b.csv")}));
    EXPECT_FALSE(drop(form.get(), {QUrl("https://www.quillmark.example/members.csv")}));
    EXPECT_FALSE(drop(form.get(), {file("members.csv")}, Qt::MoveAction));
    drop(form->Text1(1), {file("photo.png")});
    EXPECT_EQ(dropped, QStringList());

    // The lists dropped on the title field left its text as it was; the picture's name dropped
    // on the subtitle's is text there, as it always was.
    form->Text1(1)->clear();
    EXPECT_EQ(looks(), before);
}

TEST_F(Form1DropTest, NoListIsTakenWhileANewsletterIsBeingMade) {
    QStringList dropped;
    QObject::connect(form.get(), &Form1::listDropped,
                     [&](const QString& path) { dropped << path; });
    bool takenDuringRun = true;
    engine.onCall = [&](const QString& call) {
        if (call.startsWith("open ") && call.endsWith(" ro"))
            takenDuringRun = drop(form.get(), {file("members.csv")});
    };
    form->PushButton6_Click();
    EXPECT_FALSE(takenDuringRun);
    EXPECT_EQ(dropped, QStringList());
}

} // namespace
} // namespace brindlecast
