#include "widgets/ButtonPicture.h"

#include "widgets/ImageButton.h"

bool SetButtonPicture(QWidget* button, const std::string& name, COLORREF transparent) {
    auto* imageButton = qobject_cast<CImageButton*>(button);
    return imageButton && imageButton->SetPicture(name, transparent);
}

bool SetButtonTransparentDrawing(QWidget* button, bool on) {
    auto* imageButton = qobject_cast<CImageButton*>(button);
    if (!imageButton)
        return false;
    imageButton->SetTransparentDrawing(on);
    return true;
}
