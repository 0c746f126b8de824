#include "toolkit/Picture.h"
#include "toolkit/PictureQt.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

const std::string kItemGif = NIMBREL_INSTALL_DATA "/images/item.gif";
const std::string kFolderGif = NIMBREL_INSTALL_DATA "/images/folder.gif";
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFolderYellow = RGB(245, 200, 66); // inside the folder at (6, 9)

QImage Filled(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

bool Save(const QImage& image, const std::string& path, const char* format) {
    return image.save(FromGbk(path), format);
}

} // namespace

TEST(PictureKind, FirstExtensionInOrderFoundAfterTheFirstCharacterDecides) {
    EXPECT_EQ(PictureKind("images/Item.gif"), EPictureKind::Gif);
    EXPECT_EQ(PictureKind("a.bmp.jpg"), EPictureKind::Bitmap);
    EXPECT_EQ(PictureKind("a.gif.ico"), EPictureKind::Icon);
    EXPECT_EQ(PictureKind("a.jpeg.gif"), EPictureKind::Jpeg);
    EXPECT_EQ(PictureKind("x.gifx"), EPictureKind::Gif);
    EXPECT_EQ(PictureKind("图片.Bmp"), EPictureKind::Bitmap);

    EXPECT_EQ(PictureKind("images/item"), EPictureKind::None);
    EXPECT_EQ(PictureKind("picture.png"), EPictureKind::None);
    EXPECT_EQ(PictureKind("x.jpe"), EPictureKind::None);
    EXPECT_EQ(PictureKind(".gif"), EPictureKind::None);
    EXPECT_EQ(PictureKind(""), EPictureKind::None);
}

TEST(LoadPictureBitmap, TransparentPartsOfAGifTakeTheFillColourAndOpaqueWhiteStays) {
    CBitmap folder = LoadPictureBitmap(kFolderGif, kGreen);
    ASSERT_FALSE(folder.IsNull());
    EXPECT_EQ(folder.Width(), 16);
    EXPECT_EQ(folder.Height(), 16);
    EXPECT_EQ(folder.GetPixel(0, 0), kGreen);
    EXPECT_EQ(folder.GetPixel(6, 9), kFolderYellow);

    // Without a fill the transparent parts stay transparent for the widgets.
    CBitmap unfilled = LoadPictureBitmap(kFolderGif, CLR_NONE);
    EXPECT_EQ(qAlpha(BitmapImage(unfilled).pixel(0, 0)), 0);
    EXPECT_EQ(unfilled.GetPixel(6, 9), kFolderYellow);

    // The button picture's white is opaque: the buttons key it out themselves.
    CBitmap item = LoadPictureBitmap(kItemGif, kGreen);
    EXPECT_EQ(item.GetPixel(0, 0), kWhite);
    EXPECT_NE(item.GetPixel(8, 8), kWhite);
}

TEST(LoadPictureBitmap, BitmapFileGreysBecomeTheDesktop3DColours) {
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Dark, QColor(10, 20, 30));
    palette.setColor(QPalette::Button, QColor(40, 50, 60));
    palette.setColor(QPalette::Midlight, QColor(70, 80, 90));
    QApplication::setPalette(palette);

    TempHostFolder folder;
    QImage image = Filled(5, 2, QColor(200, 200, 200));
    image.setPixel(0, 0, qRgb(128, 128, 128));
    image.setPixel(1, 0, qRgb(192, 192, 192));
    image.setPixel(2, 0, qRgb(223, 223, 223));
    image.setPixel(3, 0, qRgb(192, 192, 191));
    ASSERT_TRUE(Save(image, folder.Path("grey.bmp"), "BMP"));
    CBitmap bitmap = LoadPictureBitmap(folder.Path("grey.bmp"), kGreen);
    QApplication::setPalette(saved);

    ASSERT_FALSE(bitmap.IsNull());
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(40, 50, 60));
    EXPECT_EQ(bitmap.GetPixel(2, 0), RGB(70, 80, 90));
    EXPECT_EQ(bitmap.GetPixel(3, 0), RGB(192, 192, 191));
    EXPECT_EQ(bitmap.GetPixel(4, 1), RGB(200, 200, 200));
}

TEST(LoadPictureBitmap, TheKindChoosesTheLoaderAndOtherKindsAreReadByContent) {
    TempHostFolder folder;
    const QImage blue = Filled(8, 8, QColor(0, 0, 255));
    ASSERT_TRUE(Save(blue, folder.Path("a.bmp.jpg"), "JPEG"));
    ASSERT_TRUE(Save(blue, folder.Path("b.bmp.jpg"), "BMP"));
    ASSERT_TRUE(Save(blue, folder.Path("c.png"), "PNG"));
    ASSERT_TRUE(Save(blue, folder.Path("图片.gif"), "PNG"));
    ASSERT_TRUE(Save(blue, folder.Path("d.ico"), "ICO"));

    EXPECT_TRUE(LoadPictureBitmap(folder.Path("a.bmp.jpg"), kGreen).IsNull());
    EXPECT_EQ(LoadPictureBitmap(folder.Path("b.bmp.jpg"), kGreen).GetPixel(3, 3), RGB(0, 0, 255));
    EXPECT_TRUE(LoadPictureBitmap(folder.Path("c.png"), kGreen).IsNull());
    EXPECT_EQ(LoadPictureBitmap(folder.Path("图片.gif"), kGreen).GetPixel(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(LoadPictureBitmap(folder.Path("d.ico"), kGreen).GetPixel(3, 3), RGB(0, 0, 255));
    EXPECT_TRUE(LoadPictureBitmap(folder.Path("missing.gif"), kGreen).IsNull());
}

TEST(LoadPictureBitmap, PictureWithAPhysicalSizeIsScaledToTheScreenResolution) {
    TempHostFolder folder;
    QImage image = Filled(40, 20, QColor(0, 160, 0));
    const int fileDpi = 192;
    image.setDotsPerMeterX(qRound(fileDpi / 0.0254));
    image.setDotsPerMeterY(qRound(fileDpi / 0.0254));
    ASSERT_TRUE(Save(image, folder.Path("fine.jpg"), "JPEG"));

    const QScreen* screen = QGuiApplication::primaryScreen();
    CBitmap bitmap = LoadPictureBitmap(folder.Path("fine.jpg"), kWhite);
    EXPECT_EQ(bitmap.Width(), qRound(40 * screen->logicalDotsPerInchX() / fileDpi));
    EXPECT_EQ(bitmap.Height(), qRound(20 * screen->logicalDotsPerInchY() / fileDpi));
    EXPECT_NE(bitmap.Width(), 40);
    EXPECT_NEAR(GetGValue(bitmap.GetPixel(bitmap.Width() / 2, bitmap.Height() / 2)), 160, 8);
}

TEST(BitmapHolder, LoadsOnceOverItsDefaultFillAndIgnoresFurtherLoads) {
    CBitmapHolder holder(RGB(255, 0, 255));
    EXPECT_EQ(holder.LoadFromFile(NIMBREL_INSTALL_DATA "/images/missing.gif"), 0);
    EXPECT_FALSE(holder.HasBitmap());
    EXPECT_EQ(holder.LoadFromFile(kFolderGif), 1);
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), RGB(255, 0, 255));

    EXPECT_EQ(holder.LoadFromFile(kItemGif, kGreen), 0);
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(holder.Bitmap().GetPixel(6, 9), kFolderYellow);

    holder.DeleteObject();
    EXPECT_EQ(holder.LoadFromFile(kFolderGif, kGreen), 1);
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), kGreen);
}
