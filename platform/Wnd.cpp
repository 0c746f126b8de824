#include "platform/Wnd.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/SysColor.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QResizeEvent>
#include <QVariant>
#include <QWidget>
#include <qdrawutil.h>

namespace {

constexpr const char* kWndProperty = "nimbrelWnd";

// The non-client edge of a child window: it takes the window's rectangle,
// draws the edge the creator asked for and keeps the client area, its only
// child, inside it. WS_BORDER is a one-pixel line in the text colour,
// WS_EX_CLIENTEDGE a two-pixel sunken edge within it.
class WindowEdge : public QWidget {
public:
    WindowEdge(QWidget* parent, const WindowStyle& style)
        : QWidget(parent), m_border((style.style & WS_BORDER) ? 1 : 0),
          m_clientEdge((style.exStyle & WS_EX_CLIENTEDGE) ? 2 : 0) {}

    static bool IsAsked(const WindowStyle& style) {
        return (style.style & WS_BORDER) || (style.exStyle & WS_EX_CLIENTEDGE);
    }
    QWidget* Client() const { return findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly); }
    QRect ClientRect() const {
        const int edge = m_border + m_clientEdge;
        return rect().adjusted(edge, edge, -edge, -edge);
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        if (QWidget* client = Client())
            client->setGeometry(ClientRect());
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect inside = rect().adjusted(m_border, m_border, -m_border, -m_border);
        if (m_border) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        if (m_clientEdge)
            qDrawWinPanel(&painter, inside, palette(), true);
    }

private:
    int m_border;
    int m_clientEdge;
};

} // namespace

// Joins a CWnd to its widget: marks the widget with its object, turns the
// widget's size changes into OnSize calls and tells the object when Qt deletes
// the widget (with a parent widget) before the object destroyed it.
class WndBridge : public QObject {
public:
    WndBridge(CWnd* owner, QWidget* widget, QWidget* edge)
        : m_owner(owner), m_widget(widget), m_edge(edge) {
        widget->setProperty(kWndProperty, QVariant::fromValue(quintptr(owner)));
        widget->installEventFilter(this);
        // A widget tells of its end before it deletes its children.
        connect(widget, &QObject::destroyed, this, [owner] { owner->OnWindowDeleted(); });
    }
    ~WndBridge() override {
        if (m_widget)
            m_widget->setProperty(kWndProperty, QVariant());
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Resize) {
            QSize size = static_cast<QResizeEvent*>(event)->size();
            m_owner->OnSize(size.width(), size.height());
        }
        return false;
    }

    CWnd* m_owner;
    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_edge; // null when the window has no edge
};

CWnd::CWnd() = default;

CWnd::~CWnd() {
    DestroyWindow();
}

bool CWnd::Create(CWnd* parent, const CRect& rect, int id, unsigned style, unsigned exStyle) {
    return Create(parent ? parent->Widget() : nullptr, rect, id, style, exStyle);
}

bool CWnd::Create(QWidget* parent, const CRect& rect, int id, unsigned style, unsigned exStyle) {
    if (IsWindow())
        return false;
    WindowStyle requested{style, exStyle};
    PreCreateWindow(requested);
    WindowEdge* edge =
        parent && WindowEdge::IsAsked(requested) ? new WindowEdge(parent, requested) : nullptr;
    QWidget* widget = CreateWidget(edge ? edge : parent);
    if (!widget) {
        delete edge;
        return false;
    }
    QWidget* outer = edge ? edge : widget;
    outer->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (edge)
        widget->setGeometry(edge->ClientRect());
    Attach(widget, edge, id);
    if (!OnCreate()) {
        DestroyWindow();
        return false;
    }
    // Child windows appear at once; top-level windows (dialogs) are shown by
    // whoever runs them, after they are initialised.
    if (QWidget* w = Widget(); w && !w->isWindow()) {
        w->show();
        outer->show();
    }
    return IsWindow();
}

void CWnd::PreCreateWindow(WindowStyle&) {}

QWidget* CWnd::CreateWidget(QWidget* parent) {
    return new QWidget(parent);
}

void CWnd::Attach(QWidget* widget, QWidget* edge, int id) {
    SetControlId(widget, id);
    m_bridge = new WndBridge(this, widget, edge);
}

QWidget* CWnd::OuterWidget() const {
    if (!m_bridge || !m_bridge->m_widget)
        return nullptr;
    return m_bridge->m_edge ? m_bridge->m_edge.data() : m_bridge->m_widget.data();
}

void CWnd::Detach() {
    delete m_bridge;
    m_bridge = nullptr;
}

void CWnd::DestroyWindow() {
    QWidget* window = OuterWidget();
    if (!window) {
        Detach();
        return;
    }
    RunDestroyHandlers();
    Detach();
    delete window;
}

// Qt is deleting the window (its children are still there): the handlers run
// as they would for DestroyWindow, and the objects let go of their windows.
void CWnd::OnWindowDeleted() {
    RunDestroyHandlers();
    Detach();
}

// Windows of child objects go with their parent: each child object hears
// OnDestroy after its parent did (top down) and lets go of its window, which
// the parent's deletion then removes.
void CWnd::RunDestroyHandlers() {
    QWidget* widget = Widget();
    QList<QPointer<QWidget>> descendants;
    for (QWidget* child : widget->findChildren<QWidget*>())
        descendants.append(child);
    OnDestroy();
    for (const QPointer<QWidget>& child : descendants) {
        if (!child)
            continue;
        if (CWnd* wnd = FromWidget(child)) {
            wnd->OnDestroy();
            wnd->Detach();
        }
    }
}

QWidget* CWnd::Widget() const {
    return m_bridge ? m_bridge->m_widget.data() : nullptr;
}

int CWnd::GetDlgCtrlID() const {
    return ControlId(Widget());
}

CWnd* CWnd::FromWidget(const QObject* widget) {
    if (!widget)
        return nullptr;
    QVariant value = widget->property(kWndProperty);
    return value.isValid() ? reinterpret_cast<CWnd*>(value.value<quintptr>()) : nullptr;
}

CWnd* CWnd::OwnerOf(const QObject* widget) {
    for (const QObject* o = widget; o; o = o->parent())
        if (CWnd* wnd = FromWidget(o))
            return wnd;
    return nullptr;
}

CWnd* CWnd::GetParent() const {
    QWidget* widget = Widget();
    return widget ? OwnerOf(widget->parentWidget()) : nullptr;
}

CRect CWnd::GetClientRect() const {
    QWidget* widget = Widget();
    if (!widget)
        return {};
    return {0, 0, widget->width(), widget->height()};
}

CRect CWnd::GetWindowRect() const {
    QWidget* widget = OuterWidget();
    if (!widget)
        return {};
    QRect r = widget->isWindow() ? widget->frameGeometry() : widget->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::MoveWindow(const CRect& rect) {
    if (QWidget* widget = OuterWidget())
        widget->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void CWnd::Invalidate() {
    if (QWidget* widget = Widget())
        widget->update();
}

void CWnd::SetBackColor(COLORREF color) {
    QWidget* widget = Widget();
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

std::string CWnd::GetWindowText() const {
    QWidget* widget = Widget();
    if (!widget)
        return {};
    return widget->isWindow() ? ToGbk(widget->windowTitle()) : GetControlText(widget);
}

void CWnd::SetWindowText(const std::string& text) {
    QWidget* widget = Widget();
    if (!widget)
        return;
    if (widget->isWindow())
        widget->setWindowTitle(FromGbk(text));
    else
        SetControlText(widget, text);
}

QWidget* CWnd::GetDlgItem(int id) const {
    QWidget* widget = Widget();
    if (!widget)
        return nullptr;
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* edge = dynamic_cast<WindowEdge*>(child))
            child = edge->Client(); // a child window is its client area
        if (child && ControlId(child) == id)
            return child;
    }
    return nullptr;
}

std::string CWnd::GetDlgItemText(int id) const {
    QWidget* item = GetDlgItem(id);
    return item ? GetControlText(item) : std::string();
}

bool CWnd::SetDlgItemText(int id, const std::string& text) {
    QWidget* item = GetDlgItem(id);
    if (!item)
        return false;
    SetControlText(item, text);
    return true;
}

void CWnd::EnableDlgItem(int id, bool enable) {
    if (QWidget* item = GetDlgItem(id))
        item->setEnabled(enable);
}

bool CWnd::IsDlgItemEnabled(int id) const {
    QWidget* item = GetDlgItem(id);
    return item && item->isEnabled();
}

void CWnd::FocusDlgItem(int id) {
    if (QWidget* item = GetDlgItem(id))
        item->setFocus(Qt::OtherFocusReason);
}

bool CWnd::SendCommand(int id, int code) {
    if (OnCommand(id, code))
        return true;
    QWidget* widget = Widget();
    if (!widget || widget->isWindow())
        return false;
    CWnd* parent = GetParent();
    return parent && parent->SendCommand(id, code);
}

void CWnd::PostCommand(int id, int code) {
    QWidget* widget = Widget();
    if (!widget)
        return;
    QPointer<QWidget> guard(widget);
    QMetaObject::invokeMethod(
        widget,
        [this, guard, id, code] {
            if (guard && FromWidget(guard) == this)
                SendCommand(id, code);
        },
        Qt::QueuedConnection);
}

bool CWnd::SendNotify(const NotifyInfo& info) {
    if (OnNotify(info))
        return true;
    QWidget* widget = Widget();
    if (!widget || widget->isWindow())
        return false;
    CWnd* parent = GetParent();
    return parent && parent->SendNotify(info);
}

bool CWnd::OnCreate() {
    return true;
}
void CWnd::OnDestroy() {}
void CWnd::OnSize(int, int) {}
bool CWnd::OnCommand(int, int) {
    return false;
}
bool CWnd::OnNotify(const NotifyInfo&) {
    return false;
}
