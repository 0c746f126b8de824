#pragma once
// Pictures and transparent drawing of image buttons for code that holds a
// button only as a window (screens include no toolkit headers). Other windows
// are left alone and give false. The picture is read by the picture loader's
// rules (widgets/PictureFile.h).
#include "platform/Types.h"

#include <string>
#include <vector>

class QWidget;

bool SetButtonPicture(QWidget* button, const std::string& name, COLORREF transparent);
// One picture for a whole toolbar: read once, however many buttons show it.
// False when the picture cannot be read; the buttons then have none.
bool SetButtonPictures(const std::vector<QWidget*>& buttons, const std::string& name,
                       COLORREF transparent);
bool SetButtonTransparentDrawing(QWidget* button, bool on);
