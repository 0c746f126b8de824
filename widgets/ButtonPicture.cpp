#include "widgets/ButtonPicture.h"

#include "widgets/ImageButton.h"
#include "widgets/PictureFile.h"

bool SetButtonPicture(QWidget* button, const std::string& name, COLORREF transparent) {
    auto* imageButton = qobject_cast<CImageButton*>(button);
    return imageButton && imageButton->SetPicture(name, transparent);
}

bool SetButtonPictures(const std::vector<QWidget*>& buttons, const std::string& name,
                       COLORREF transparent) {
    const QImage picture = LoadPicture(name, CLR_NONE, transparent);
    for (QWidget* button : buttons)
        if (auto* imageButton = qobject_cast<CImageButton*>(button))
            imageButton->SetPicture(picture);
    return !picture.isNull();
}

bool SetButtonTransparentDrawing(QWidget* button, bool on) {
    auto* imageButton = qobject_cast<CImageButton*>(button);
    if (!imageButton)
        return false;
    imageButton->SetTransparentDrawing(on);
    return true;
}
