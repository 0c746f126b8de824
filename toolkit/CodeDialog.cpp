#include "toolkit/CodeDialog.h"

#include "platform/SysColor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>
#include <QWindow>

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

// A window manager frames a window only once it is shown, so a size set
// before that is taken for the client area and the dialog opens larger than
// asked by its frame. This keeps the asked outer size: whenever the window
// is shown, moved or exposed with a frame other than the one the size was
// worked out with, it sizes the client area again, until somebody else
// (the user, the window manager) has changed that size.
class CCodeDialog::SizeKeeper : public QObject {
public:
    explicit SizeKeeper(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {
        dialog->installEventFilter(this);
        if (QWindow* window = dialog->windowHandle())
            window->installEventFilter(this);
    }

    void Keep(const QSize& outer) {
        m_outer = outer;
        m_keeping = true;
        Apply();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (m_keeping && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Expose))
            Refit();
        return false;
    }

private:
    // Once the window is on the screen the platform's margins are the fresh
    // ones; the widget's own idea of its frame may date from before the
    // window manager framed it.
    QSize Frame() const {
        const QWindow* window = m_dialog->windowHandle();
        if (!window || !window->isExposed())
            return m_dialog->frameGeometry().size() - m_dialog->size();
        const QMargins margins = window->frameMargins();
        return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    }

    void Apply() {
        m_frame = Frame();
        m_client = (m_outer - m_frame).expandedTo(QSize(0, 0));
        m_dialog->resize(m_client);
    }

    void Refit() {
        if (m_dialog->size() != m_client)
            m_keeping = false;
        else if (Frame() != m_frame)
            Apply();
    }

    QWidget* m_dialog;
    QSize m_outer;
    QSize m_frame;
    QSize m_client;
    bool m_keeping = false;
};

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
    // The native window exists from the start, so that the frame the
    // platform knows before showing counts when the outer size is set.
    dialog->winId();
    m_sizeKeeper = new SizeKeeper(dialog);
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
    m_sizeKeeper->Keep(QSize(width, height));
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
