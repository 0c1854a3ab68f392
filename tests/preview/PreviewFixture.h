#pragma once

#include "app/Services.h"
#include "fakes/FakeServices.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"

#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <memory>
#include <support/Isolated.h>

namespace brindlecast::test {

/// A white page of `width` × `height` pixels at `dpi` with a black frame and bars on it.
QImage page(int width, int height, int dpi = 96);

/// A preview window with fake dialogs in folders of its own. The window is made on first use,
/// so a test can put files in the program folder first.
class PreviewTest : public testing::Isolated, protected fakes::FakeServices {
protected:
    PreviewTest();
    ~PreviewTest() override;

    Form2& form();
    /// A working document in TEMP, as generation leaves it.
    QString workingDocument(const QByteArray& bytes = "working document bytes");
    /// Generation's hand-over: picture, working document, show the preview, hide the main form.
    void handOver(const QImage& picture, const QString& wordFile, FileLock wordFileLock = {});
    void click(const char* button);

    PictureBox* picture1();
    QScrollBar* hBar();
    QScrollBar* vBar();
    QPointF picturePos() { return picture1()->twipsPos(); }
    /// Drags Picture1 from `from` to `to`, both in the viewport's pixels.
    void drag(Qt::MouseButton button, QPoint from, QPoint to);

    template <class T> T* child(const char* name) {
        T* found = form().findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString programFolder;
    QWidget mainForm;

private:
    std::unique_ptr<Form2> mForm;
};

} // namespace brindlecast::test
