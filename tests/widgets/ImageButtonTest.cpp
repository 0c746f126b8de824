#include "widgets/ImageButton.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"
#include "widgets/ButtonPicture.h"

#include <QPalette>
#include <gtest/gtest.h>

namespace {

// Pictures of the host folder, as the screens give them.
class Pictures : public ::testing::Test {
protected:
    // Real GIF files are the loader's tests'; a bitmap is read by its kind.
    void SetUp() override {
        QImage image(3, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(255, 255, 255));
        image.setPixel(1, 0, qRgb(255, 0, 0));
        image.setPixel(2, 0, qRgb(0, 0, 255));
        ASSERT_TRUE(m_host.Write(m_bmp, "")); // makes the folder
        ASSERT_TRUE(image.save(FromPath(m_host.Path(m_bmp)), "BMP"));
    }
    TempHostFolder m_host;
    std::string m_bmp = "图片/item.bmp";
};

} // namespace

TEST_F(Pictures, PixelsOfTheTransparentColourBecomeSeeThrough) {
    CImageButton button;
    ASSERT_TRUE(button.SetPicture(m_bmp, RGB(255, 255, 255)));
    const QImage& picture = button.Picture();
    ASSERT_EQ(picture.size(), QSize(3, 1));
    EXPECT_EQ(picture.pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(picture.pixel(1, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(picture.pixel(2, 0), qRgba(0, 0, 255, 255));
    EXPECT_EQ(button.iconSize(), QSize(3, 1));
}

TEST_F(Pictures, FileThatCannotBeLoadedLeavesNoPicture) {
    CImageButton button;
    ASSERT_TRUE(button.SetPicture(m_bmp, RGB(255, 255, 255)));
    EXPECT_FALSE(button.SetPicture(m_bmp + ".missing.bmp", RGB(255, 255, 255)));
    EXPECT_FALSE(button.HasPicture());
    EXPECT_TRUE(button.icon().isNull());
    ASSERT_TRUE(m_host.Write(m_bmp, "BM and nothing more"));
    EXPECT_FALSE(button.SetPicture(m_bmp, RGB(255, 255, 255)));
}

TEST_F(Pictures, OnePictureReadForAWholeToolbar) {
    QWidget toolbar;
    auto* first = new CImageButton(&toolbar);
    auto* second = new CImageButton(&toolbar);
    auto* label = new QWidget(&toolbar); // not an image button: left alone
    EXPECT_TRUE(SetButtonPictures({first, label, second}, m_bmp, RGB(255, 255, 255)));
    ASSERT_TRUE(first->HasPicture());
    EXPECT_EQ(first->Picture(), second->Picture());
    EXPECT_EQ(second->Picture().pixel(0, 0), qRgba(0, 0, 0, 0)) << "white is see-through";
    EXPECT_EQ(second->iconSize(), QSize(3, 1));

    EXPECT_FALSE(SetButtonPictures({first, second}, "images/none.bmp", RGB(255, 255, 255)));
    EXPECT_FALSE(first->HasPicture());
    EXPECT_TRUE(second->icon().isNull());
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
