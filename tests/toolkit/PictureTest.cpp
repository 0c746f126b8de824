#include "toolkit/Picture.h"
#include "toolkit/PictureQt.h"

#include "tests/support/TestSupport.h"

#include <QSize>
#include <gtest/gtest.h>

namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kFolderYellow = RGB(245, 200, 66); // inside the folder at (6, 9)

} // namespace

// The rules of which files give a picture are the loader's, tested with it;
// here the bitmaps screens hold.
TEST(Picture, GifTransparencyTakesTheFillAndAHolderIgnoresFurtherLoads) {
    TempHostFolder host;
    for (const char* picture : {"images/item.gif", "images/folder.gif"})
        ASSERT_TRUE(
            host.Write(picture, ReadFileBytes(std::string(NIMBREL_INSTALL_DATA "/") + picture)));
    CBitmapHolder holder(RGB(255, 0, 255));
    EXPECT_EQ(holder.LoadFromFile("images/missing.gif"), 0);
    EXPECT_EQ(holder.LoadFromFile(host.Path("images/folder.gif")), 1); // over its own fill
    EXPECT_EQ(holder.LoadFromFile("images/item.gif", kGreen), 0);
    ASSERT_EQ(QSize(holder.Bitmap().Width(), holder.Bitmap().Height()), QSize(16, 16));
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(holder.Bitmap().GetPixel(6, 9), kFolderYellow);
    EXPECT_EQ(holder.Bitmap().GetPixel(16, 0), CLR_NONE);
    holder.DeleteObject();
    EXPECT_EQ(holder.LoadFromFile("images/folder.gif", kGreen), 1);
    EXPECT_EQ(holder.Bitmap().GetPixel(0, 0), kGreen);
    CBitmap unfilled = LoadPictureBitmap("images/folder.gif", CLR_NONE); // stays transparent
    EXPECT_EQ(qAlpha(BitmapImage(unfilled).pixel(0, 0)), 0);
    EXPECT_EQ(unfilled.GetPixel(0, 0), RGB(0, 0, 0));
}
