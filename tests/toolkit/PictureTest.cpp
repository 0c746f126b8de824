#include "toolkit/Picture.h"
#include "toolkit/PictureQt.h"

#include "platform/CodePage.h"
#include "platform/SysColor.h"
#include "tests/support/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

const std::string kItemGif = NIMBREL_INSTALL_DATA "/images/item.gif";
const std::string kFolderGif = NIMBREL_INSTALL_DATA "/images/folder.gif";
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kFolderYellow = RGB(245, 200, 66); // inside the folder at (6, 9)

// Saves the image (8 x 8 blue when none) in the folder; gives its path.
std::string Save(const TempHostFolder& folder, const std::string& name, const char* format,
                 QImage image = {}) {
    if (image.isNull()) {
        image = QImage(8, 8, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 255));
    }
    EXPECT_TRUE(image.save(FromPath(folder.Path(name)), format)) << name;
    return folder.Path(name);
}

} // namespace

TEST(Picture, TheFirstExtensionFoundAfterTheFirstCharacterChoosesTheLoader) {
    std::string kinds; // None, Bitmap, Icon, Jpeg, Gif
    for (const char* path : {"images/Item.gif", "a.bmp.jpg", "a.gif.ico", "a.jpeg.gif",
                             "images/item", "picture.png", ".gif"})
        kinds += "NBIJG"[int(PictureKind(path))];
    EXPECT_EQ(kinds, "GBIJNNN");

    // A bitmap's path is read as BMP only, the others by their content.
    TempHostFolder folder;
    EXPECT_TRUE(LoadPictureBitmap(Save(folder, "a.bmp.jpg", "JPEG"), kGreen).IsNull());
    EXPECT_EQ(LoadPictureBitmap(Save(folder, "图片.gif", "PNG"), kGreen).GetPixel(3, 3),
              RGB(0, 0, 255));
}

TEST(Picture, BitmapGreysBecomeTheDesktop3DColours) {
    TempHostFolder host;
    const QRgb greys[] = {qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(223, 223, 223),
                          qRgb(192, 192, 191)};
    QImage image(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        image.setPixel(x, 0, greys[x]);
    CBitmap bitmap = LoadPictureBitmap(Save(host, "grey.bmp", "BMP", image), kGreen);
    const COLORREF expected[] = {GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DFACE),
                                 GetSysColor(COLOR_3DLIGHT), RGB(192, 192, 191)};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(bitmap.GetPixel(x, 0), expected[x]) << x;
}

TEST(Picture, APictureWithAPhysicalSizeIsScaledToTheScreenResolution) {
    TempHostFolder folder;
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setDotsPerMeterX(7559); // 192 dots per inch
    image.setDotsPerMeterY(7559);
    CBitmap bitmap = LoadPictureBitmap(Save(folder, "fine.jpg", "JPEG", image), kGreen);
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(bitmap.Width(), qRound(40 * screen->logicalDotsPerInchX() / 192));
    EXPECT_EQ(bitmap.Height(), qRound(20 * screen->logicalDotsPerInchY() / 192));
    EXPECT_NE(bitmap.Width(), 40);
}

TEST(Picture, GifTransparencyTakesTheFillAndAHolderIgnoresFurtherLoads) {
    CBitmapHolder holder(RGB(255, 0, 255));
    EXPECT_EQ(holder.LoadFromFile(NIMBREL_INSTALL_DATA "/images/missing.gif"), 0);
    EXPECT_EQ(holder.LoadFromFile(kFolderGif), 1); // over the holder's own fill
    EXPECT_EQ(holder.LoadFromFile(kItemGif, kGreen), 0);
    ASSERT_EQ(QSize(holder.Bitmap().Width(), holder.Bitmap().Height()), QSize(16, 16));
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(holder.Bitmap().GetPixel(6, 9), kFolderYellow);
    holder.DeleteObject();
    EXPECT_EQ(holder.LoadFromFile(kFolderGif, kGreen), 1);
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), kGreen);
    CBitmap unfilled = LoadPictureBitmap(kFolderGif, CLR_NONE); // stays transparent
    EXPECT_EQ(qAlpha(BitmapImage(unfilled).pixel(0, 0)), 0);
}
