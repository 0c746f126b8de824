#include "toolkit/CodeDialog.h"

#include "platform/SysColor.h"

#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace {

// The dialog's base units from its font: the average width of the Latin
// letters, rounded, and the full character height.
QSize DialogBaseUnits(const QWidget& dialog) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QFontMetrics metrics(dialog.font());
    int averageWidth = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return QSize(averageWidth, metrics.height());
}

} // namespace

CCodeDialog::CCodeDialog() : CDialog(nullptr) {}

void CCodeDialog::InitModal(CWnd* parent) {
    SetParentWindow(parent);
}

QWidget* CCodeDialog::CreateWidget(QWidget* parent) {
    QWidget* dialog = CDialog::CreateWidget(parent);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_backColor = GetSysColor(COLOR_3DFACE);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, ToQColor(m_backColor));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
    // The native window exists from the start, as the frame size is needed
    // to set the outer size before the dialog is shown.
    dialog->winId();
    return dialog;
}

bool CCodeDialog::OnCreate() {
    CRect rect{0, 0, kDefaultWidthDlu, kDefaultHeightDlu};
    MapDialogRect(rect);
    Widget()->resize(rect.Width(), rect.Height());
    return true;
}

int CCodeDialog::SetWindowSize(int width, int height) {
    QWidget* dialog = Widget();
    if (!dialog)
        return 0;
    QSize frame = dialog->frameGeometry().size() - dialog->geometry().size();
    dialog->resize(std::max(0, width - frame.width()), std::max(0, height - frame.height()));
    return 1;
}

void CCodeDialog::MapDialogRect(CRect& rect) const {
    QWidget* dialog = Widget();
    if (!dialog)
        return;
    QSize units = DialogBaseUnits(*dialog);
    rect.left = MulDiv(rect.left, units.width(), 4);
    rect.right = MulDiv(rect.right, units.width(), 4);
    rect.top = MulDiv(rect.top, units.height(), 8);
    rect.bottom = MulDiv(rect.bottom, units.height(), 8);
}
