#pragma once
// The push button of every toolbar and dialog: a caption beside a picture
// loaded from a file, with one colour of the picture made see-through. With
// transparent drawing the button paints no background of its own, so a
// panel's colour shows around picture and caption; hovering outlines it.
#include "platform/Types.h"

#include <QImage>
#include <QPushButton>
#include <string>

class CImageButton : public QPushButton {
    Q_OBJECT
public:
    explicit CImageButton(QWidget* parent = nullptr);
    CImageButton(const QString& caption, QWidget* parent);

    // Loads the picture of the GBK name as LoadPicture does (a name below the
    // host folder; see widgets/PictureFile.h); pixels of the colour
    // `transparent` become see-through. A picture the loader refuses leaves
    // the button without one and gives false.
    bool SetPicture(const std::string& name, COLORREF transparent);
    // A picture loaded once for many buttons, see-through colour removed; a
    // null picture leaves the button without one.
    void SetPicture(const QImage& picture);
    void ClearPicture();
    bool HasPicture() const { return !m_picture.isNull(); }
    // The picture as it is drawn, see-through colour removed.
    const QImage& Picture() const { return m_picture; }

    void SetTransparentDrawing(bool on);
    bool IsTransparentDrawing() const { return m_transparentDrawing; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    bool m_transparentDrawing = false;
};
