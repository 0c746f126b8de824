#include "widgets/ImageButton.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QPalette>
#include <gtest/gtest.h>

namespace {

// A 3 x 1 GIF with the pixels white, red, blue.
const unsigned char kWhiteRedBlueGif[] = {
    'G',  'I',  'F',  '8',  '9',  'a',  3,    0,    1,    0,    0x81, 0,    0,   0xFF,
    0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x2C, 0,   0,
    0,    0,    3,    0,    1,    0,    0,    2,    2,    0x44, 0x54, 0,    0x3B};

// Pictures of the host folder, as the screens give them.
class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        const char* gif = reinterpret_cast<const char*>(kWhiteRedBlueGif);
        ASSERT_TRUE(m_host.Write(m_gif, std::string(gif, sizeof kWhiteRedBlueGif)));
        QImage image(3, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(255, 255, 255));
        image.setPixel(1, 0, qRgb(255, 0, 0));
        image.setPixel(2, 0, qRgb(0, 0, 255));
        ASSERT_TRUE(image.save(FromPath(m_host.Path(m_bmp)), "BMP"));
    }
    TempHostFolder m_host;
    std::string m_gif = "图片/item.gif";
    std::string m_bmp = "图片/item.bmp";
};

} // namespace

TEST_F(Pictures, PixelsOfTheTransparentColourBecomeSeeThrough) {
    for (const std::string& path : {m_gif, m_bmp}) {
        CImageButton button;
        ASSERT_TRUE(button.SetPicture(path, RGB(255, 255, 255))) << Utf8(path);
        const QImage& picture = button.Picture();
        ASSERT_EQ(picture.size(), QSize(3, 1));
        EXPECT_EQ(picture.pixel(0, 0), qRgba(0, 0, 0, 0));
        EXPECT_EQ(picture.pixel(1, 0), qRgba(255, 0, 0, 255));
        EXPECT_EQ(picture.pixel(2, 0), qRgba(0, 0, 255, 255));
        EXPECT_EQ(button.iconSize(), QSize(3, 1));
    }
}

TEST_F(Pictures, FileThatCannotBeLoadedLeavesNoPicture) {
    CImageButton button;
    ASSERT_TRUE(button.SetPicture(m_gif, RGB(255, 255, 255)));
    EXPECT_FALSE(button.SetPicture(m_gif + ".missing.gif", RGB(255, 255, 255)));
    EXPECT_FALSE(button.HasPicture());
    EXPECT_TRUE(button.icon().isNull());
    ASSERT_TRUE(m_host.Write(m_gif, "GIF89a and nothing more"));
    EXPECT_FALSE(button.SetPicture(m_gif, RGB(255, 255, 255)));
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
    EXPECT_NE(host.grab().toImage().pixelColor(60, 30), panel);
    button->SetTransparentDrawing(true);
    EXPECT_EQ(host.grab().toImage().pixelColor(60, 30), panel);
}
