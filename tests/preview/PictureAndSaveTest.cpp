#include "generate/SaveCopy.h"
#include "preview/PictureScaling.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

namespace brindlecast {
namespace {

QImage pictureAt(int width, int height, int dpi) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

TEST(PictureScaling, SizeInTwipsFromTheRecordedResolution) {
    EXPECT_EQ(PictureDpi(pictureAt(1, 1, 96)), 96); // stored as 3780 dots per metre
    EXPECT_EQ(PictureDpi(pictureAt(1, 1, 192)), 192);
    QImage none(1, 1, QImage::Format_RGB32);
    none.setDotsPerMeterX(0);
    EXPECT_EQ(PictureDpi(none), 96);
    EXPECT_EQ(PictureSizeTwips(pictureAt(1160, 1501, 192)), QSizeF(8700, 11257.5));
    EXPECT_EQ(PictureSizeTwips(pictureAt(580, 750, 96)), QSizeF(8700, 11250));
    EXPECT_TRUE(PictureSizeTwips(QImage()).isEmpty());
}

TEST(PictureScaling, DrawingAtDevicePixelsKeepsEveryPixelOfASharpPicture) {
    // A one-pixel checkerboard at 2x: drawn at its natural size on a 2x screen it must come
    // out unchanged, which it cannot if it ever passes through a 1x surface.
    QImage picture = pictureAt(64, 32, 192);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, (x + y) % 2 ? 0xff000000u : 0xffffffffu);
    const QImage drawing = ScaledDrawing(picture, PictureSizeTwips(picture), QSize(64, 32));
    ASSERT_EQ(drawing.size(), QSize(64, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(drawing.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
}

TEST(PictureScaling, ShrinkingAveragesAndEdgeCasesStayWhite) {
    QImage picture = pictureAt(200, 100, 192);
    picture.fill(Qt::white);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            picture.setPixel(x, y, 0xff000000u);
    const QImage half = ScaledDrawing(picture, PictureSizeTwips(picture), QSize(100, 50));
    EXPECT_EQ(half.pixel(10, 10), 0xff000000u);
    EXPECT_EQ(half.pixel(90, 10), 0xffffffffu);
    // A source 2 twips short of the picture still takes all of it (0.27 pixels at 2x).
    const QImage cut =
        ScaledDrawing(picture, PictureSizeTwips(picture) - QSizeF(2, 2), QSize(100, 50));
    EXPECT_EQ(cut, half);

    EXPECT_TRUE(ScaledDrawing(picture, PictureSizeTwips(picture), QSize()).isNull());
    const QImage blank = ScaledDrawing(QImage(), QSizeF(100, 100), QSize(4, 4));
    EXPECT_EQ(blank.pixel(2, 2), 0xffffffffu);
}

class SaveCopyTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    static QByteArray read(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};

TEST_F(SaveCopyTest, CopiesByteForByteAndReplacesAnExistingFile) {
    QByteArray bytes(200000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    write(path("work.doc"), bytes);
    SaveCopy(path("work.doc"), path("letter"));
    EXPECT_EQ(read(path("letter")), bytes);

    write(path("old.doc"), "old newsletter");
    SaveCopy(path("work.doc"), path("old.doc"));
    EXPECT_EQ(read(path("old.doc")), bytes);
    EXPECT_EQ(read(path("work.doc")), bytes);
    EXPECT_EQ(entries(), (QStringList{"letter", "old.doc", "work.doc"}));
}

TEST_F(SaveCopyTest, VanishedSourceLeavesTheTargetAlone) {
    write(path("old.doc"), "old newsletter");
    try {
        SaveCopy(path("gone.doc"), path("old.doc"));
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what())
                        .startsWith("Cannot save the newsletter to " + path("old.doc") + ": "))
            << error.what();
    }
    EXPECT_EQ(read(path("old.doc")), "old newsletter");
    EXPECT_EQ(entries(), QStringList{"old.doc"});
}

TEST_F(SaveCopyTest, UnwritableTargetsFailWithoutLeftovers) {
    write(path("work.doc"), "new newsletter");
    write(path("plain"), "a file, not a folder");
    EXPECT_THROW(SaveCopy(path("work.doc"), path("plain/letter.doc")), std::runtime_error);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_THROW(SaveCopy(path("work.doc"), path("folder")), std::runtime_error);
    EXPECT_EQ(read(path("plain")), "a file, not a folder");
    EXPECT_TRUE(QDir(path("folder")).isEmpty());
    EXPECT_EQ(entries(), (QStringList{"folder", "plain", "work.doc"}));
}

} // namespace
} // namespace brindlecast
