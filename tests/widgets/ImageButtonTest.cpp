#include "widgets/ButtonPicture.h"
#include "widgets/ImageButton.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A 3 x 1 GIF with the pixels white, red, blue.
const unsigned char kWhiteRedBlueGif[] = {
    'G', 'I', 'F', '8', '9', 'a', 3, 0, 1, 0, 0x81, 0, 0,
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00,
    0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0,
    2, 2, 0x44, 0x54, 0,
    0x3B};

QImage WhiteRedBlue() {
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(1, 0, qRgb(255, 0, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    return image;
}

class PictureFiles : public ::testing::Test {
protected:
    // GBK path of a file in a folder with a Chinese name.
    std::string Path(const QString& name) const {
        return ToGbk(m_dir.path() + QStringLiteral(u"/图片/") + name);
    }
    std::string WriteGif() const {
        std::string path = Path(QStringLiteral("item.gif"));
        const char* bytes = reinterpret_cast<const char*>(kWhiteRedBlueGif);
        EXPECT_TRUE(WriteFileBytes(path, std::string(bytes, sizeof kWhiteRedBlueGif)));
        return path;
    }
    std::string WriteImage(const QString& name, const char* format) const {
        std::string path = Path(name);
        EXPECT_TRUE(WriteFileBytes(path, "")); // makes the folder
        EXPECT_TRUE(WhiteRedBlue().save(FromGbk(path), format));
        return path;
    }
    QTemporaryDir m_dir;
};

int Alpha(const QImage& image, int x) {
    return qAlpha(image.pixel(x, 0));
}

} // namespace

TEST_F(PictureFiles, WhiteBecomesSeeThroughInGifPngAndBmp) {
    for (const std::string& path : {WriteGif(), WriteImage(QStringLiteral("item.png"), "PNG"),
                                     WriteImage(QStringLiteral("item.bmp"), "BMP")}) {
        SCOPED_TRACE(Utf8(path));
        CImageButton button;
        ASSERT_TRUE(button.SetPicture(path, RGB(255, 255, 255)));
        const QImage& picture = button.Picture();
        ASSERT_EQ(picture.size(), QSize(3, 1));
        EXPECT_EQ(Alpha(picture, 0), 0);
        EXPECT_EQ(picture.pixel(1, 0), qRgba(255, 0, 0, 255));
        EXPECT_EQ(picture.pixel(2, 0), qRgba(0, 0, 255, 255));
        EXPECT_FALSE(button.icon().isNull());
        EXPECT_EQ(button.iconSize(), QSize(3, 1));
    }
}

TEST_F(PictureFiles, TransparentColourIsReadAsBlueGreenRed) {
    CImageButton button;
    ASSERT_TRUE(button.SetPicture(WriteGif(), RGB(255, 0, 0)));
    EXPECT_EQ(Alpha(button.Picture(), 0), 255);
    EXPECT_EQ(Alpha(button.Picture(), 1), 0);
    EXPECT_EQ(Alpha(button.Picture(), 2), 255);
}

TEST_F(PictureFiles, UnloadableFileLeavesNoPicture) {
    CImageButton button;
    ASSERT_TRUE(button.SetPicture(WriteGif(), RGB(255, 255, 255)));
    EXPECT_FALSE(button.SetPicture(Path(QStringLiteral("missing.gif")), RGB(255, 255, 255)));
    EXPECT_FALSE(button.HasPicture());
    EXPECT_TRUE(button.icon().isNull());

    std::string junk = Path(QStringLiteral("junk.gif"));
    ASSERT_TRUE(WriteFileBytes(junk, "GIF89a but not really"));
    EXPECT_FALSE(button.SetPicture(junk, RGB(255, 255, 255)));
    EXPECT_FALSE(button.HasPicture());
}

TEST_F(PictureFiles, ScreensReachThePictureThroughThePlainWindow) {
    QWidget host;
    QWidget* button = new CImageButton(QStringLiteral("OK"), &host);
    EXPECT_TRUE(SetButtonPicture(button, WriteGif(), RGB(255, 255, 255)));
    EXPECT_TRUE(static_cast<CImageButton*>(button)->HasPicture());
    EXPECT_TRUE(SetButtonTransparentDrawing(button, true));
    EXPECT_TRUE(static_cast<CImageButton*>(button)->IsTransparentDrawing());

    QWidget other(&host);
    EXPECT_FALSE(SetButtonPicture(&other, WriteGif(), RGB(255, 255, 255)));
    EXPECT_FALSE(SetButtonTransparentDrawing(&other, true));
    EXPECT_FALSE(SetButtonPicture(nullptr, WriteGif(), RGB(255, 255, 255)));
}

TEST(ImageButton, TransparentDrawingLetsTheParentBackgroundShow) {
    const QColor panel(200, 30, 40);
    QWidget host;
    host.resize(120, 60);
    QPalette colours = host.palette();
    colours.setColor(QPalette::Window, panel);
    host.setPalette(colours);
    host.setAutoFillBackground(true);
    auto* button = new CImageButton(&host);
    button->setGeometry(10, 10, 100, 40);
    host.show();
    ProcessEvents();

    const QPoint inside(10 + 50, 10 + 20);
    EXPECT_NE(host.grab().toImage().pixelColor(inside), panel);
    button->SetTransparentDrawing(true);
    ProcessEvents();
    EXPECT_EQ(host.grab().toImage().pixelColor(inside), panel);
}
