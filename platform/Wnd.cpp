#include "platform/Wnd.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/SysColor.h"

#include <QEvent>
#include <QPalette>
#include <QPointer>
#include <QResizeEvent>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kWndProperty = "nimbrelWnd";
}

// Joins a CWnd to its widget: marks the widget with its object, turns the
// widget's size changes into OnSize calls and tells the object when Qt deletes
// the widget (with a parent widget) before the object destroyed it.
class WndBridge : public QObject {
public:
    WndBridge(CWnd* owner, QWidget* widget) : m_owner(owner), m_widget(widget) {
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
};

CWnd::CWnd() = default;

CWnd::~CWnd() {
    DestroyWindow();
}

bool CWnd::Create(CWnd* parent, const CRect& rect, int id) {
    return Create(parent ? parent->Widget() : nullptr, rect, id);
}

bool CWnd::Create(QWidget* parent, const CRect& rect, int id) {
    if (IsWindow())
        return false;
    QWidget* widget = CreateWidget(parent);
    if (!widget)
        return false;
    widget->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    Attach(widget, id);
    if (!OnCreate()) {
        DestroyWindow();
        return false;
    }
    // Child windows appear at once; top-level windows (dialogs) are shown by
    // whoever runs them, after they are initialised.
    if (QWidget* w = Widget(); w && !w->isWindow())
        w->show();
    return IsWindow();
}

QWidget* CWnd::CreateWidget(QWidget* parent) {
    return new QWidget(parent);
}

void CWnd::Attach(QWidget* widget, int id) {
    SetControlId(widget, id);
    m_bridge = new WndBridge(this, widget);
}

void CWnd::Detach() {
    delete m_bridge;
    m_bridge = nullptr;
}

void CWnd::DestroyWindow() {
    QWidget* widget = Widget();
    if (!widget) {
        Detach();
        return;
    }
    RunDestroyHandlers();
    Detach();
    delete widget;
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
    QWidget* widget = Widget();
    if (!widget)
        return {};
    QRect r = widget->isWindow() ? widget->frameGeometry() : widget->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::MoveWindow(const CRect& rect) {
    if (QWidget* widget = Widget())
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
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (ControlId(child) == id)
            return child;
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
