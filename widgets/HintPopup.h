#pragma once
// Hints for the controls of a screen: hover hints that show when the mouse
// rests on a control, and pop-up messages pointed at a control (the middle of
// its top edge) that stay until the user clicks or types, or a few seconds
// pass. Texts are GBK and may carry HTML markup. Free of Qt headers, so that
// screens can hold one as a member.
#include "platform/Types.h"

#include <memory>
#include <string>

class QWidget;

class CHintPopup {
public:
    CHintPopup();
    ~CHintPopup();
    CHintPopup(const CHintPopup&) = delete;
    CHintPopup& operator=(const CHintPopup&) = delete;

    void AddHoverHint(QWidget* control, const std::string& gbkHtml);

    void ShowMessage(QWidget* control, const std::string& gbkText);
    void HideMessage();
    bool IsMessageVisible() const;
    // The text and the anchor (screen coordinates) of the last message shown.
    const std::string& LastMessage() const;
    CPoint LastAnchor() const;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};
