#include "PreviewFixture.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTest>
#include <utility>

namespace brindlecast::test {

PreviewTest::PreviewTest()
    : FakeServices(root(QStringLiteral("program")))
    , programFolder(root(QStringLiteral("program"))) {
    mainForm.setObjectName(QStringLiteral("Form1"));
    mainForm.show();
}

PreviewTest::~PreviewTest() = default;

Form2& PreviewTest::form() {
    if (!mForm)
        mForm = std::make_unique<Form2>(services, &mainForm);
    return *mForm;
}

QImage page(int width, int height, int dpi) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    for (int y = height / 10; y < height; y += height / 10)
        painter.fillRect(width / 10, y, width * 8 / 10, height / 40 + 1, QColor(0x33, 0x55, 0x99));
    return image;
}

QString PreviewTest::workingDocument(const QByteArray& bytes) {
    const QString path = temp(QStringLiteral("tarvik12345678.doc"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

void PreviewTest::handOver(const QImage& picture, const QString& wordFile, FileLock wordFileLock) {
    form().takeOver(wordFile, std::move(wordFileLock), picture);
    form().show();
    mainForm.hide();
}

void PreviewTest::click(const char* button) {
    QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
}

PictureBox* PreviewTest::picture1() {
    return child<PictureBox>("Picture1");
}
QScrollBar* PreviewTest::hBar() {
    return child<QScrollBar>("HScroll1");
}
QScrollBar* PreviewTest::vBar() {
    return child<QScrollBar>("VScroll1");
}

void PreviewTest::drag(Qt::MouseButton button, QPoint from, QPoint to) {
    PictureBox* picture = picture1();
    QTest::mousePress(picture, button, {}, from - picture->pos());
    QTest::mouseMove(picture, to - picture->pos());
    QTest::mouseRelease(picture, button, {}, to - picture->pos());
}

} // namespace brindlecast::test
