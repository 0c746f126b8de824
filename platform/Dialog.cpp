#include "platform/Dialog.h"

#include "platform/Interaction.h"

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QScreen>

namespace {

// The dialog window: Esc and the close box become Cancel, Enter becomes OK
// (or clicks the focused button), all through the object's command handling.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}

    void reject() override { m_owner->SendCommand(IDCANCEL); }
    void accept() override { m_owner->SendCommand(IDOK); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()))
                button->click();
            else
                m_owner->SendCommand(IDOK);
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    CDialog* m_owner;
};

} // namespace

CDialog::CDialog(CWnd* parent) : m_parent(parent) {}

QWidget* CDialog::CreateWidget(QWidget* parent) {
    auto* dialog = new DialogWidget(this, parent);
    dialog->setModal(true);
    return dialog;
}

int CDialog::DoModal() {
    return Interaction().RunModal(*this);
}

bool CDialog::CreateModalWindow() {
    m_ended = false;
    m_result = -1;
    if (!Create(m_parent, CRect{0, 0, 400, 300}, 0))
        return false;
    OnInitDialog(); // its answer only says who takes the focus
    return true;
}

void CDialog::CenterWindow() {
    QWidget* dialog = Widget();
    if (!dialog)
        return;
    QWidget* owner = dialog->parentWidget();
    QRect area = owner ? owner->window()->frameGeometry()
                       : (dialog->screen() ? dialog->screen()->availableGeometry() : QRect());
    if (area.isValid())
        dialog->move(area.center() - dialog->rect().center());
}

int CDialog::RunModalLoop() {
    auto* dialog = static_cast<QDialog*>(Widget());
    if (dialog && !m_ended)
        dialog->exec();
    return m_result;
}

void CDialog::EndDialog(int result) {
    m_ended = true;
    m_result = result;
    if (auto* dialog = static_cast<QDialog*>(Widget()))
        dialog->done(result);
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}
