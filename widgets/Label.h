#pragma once
// The static text of forms and rows: always plain text, so captions such as
// "<----" show as typed, with text and back colours that forms can set.
#include "platform/Types.h"

#include <QLabel>

class CLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLabel(QWidget* parent = nullptr);
    CLabel(const QString& text, QWidget* parent);

    void SetTextColor(COLORREF color);
    // Without a back colour the parent's background shows through.
    void SetBackColor(COLORREF color);
    void ClearBackColor();
};
