#include "platform/Controls.h"

#include "platform/CodePage.h"
#include "platform/Wnd.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVariant>

namespace {

constexpr const char* kIdProperty = "nimbrelId";

// Multi-line edits hold line breaks as CR LF, as the system's texts do.
std::string ToCrLf(const QString& text) {
    QString copy = text;
    copy.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return ToGbk(copy);
}

QString FromCrLf(const std::string& text) {
    QString copy = FromGbk(text);
    copy.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    copy.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return copy;
}

void Route(QWidget* control, int code) {
    if (CWnd* owner = CWnd::OwnerOf(control->parentWidget()))
        owner->SendCommand(ControlId(control), code);
}

} // namespace

void SetControlId(QWidget* control, int id) {
    if (control)
        control->setProperty(kIdProperty, id);
}

int ControlId(const QWidget* control) {
    return control ? control->property(kIdProperty).toInt() : 0;
}

std::string GetControlText(const QWidget* control) {
    if (!control)
        return {};
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return ToGbk(edit->text());
    if (auto* text = qobject_cast<const QPlainTextEdit*>(control))
        return ToCrLf(text->toPlainText());
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        if (combo->isEditable())
            return ToGbk(combo->currentText());
        return combo->currentIndex() >= 0 ? ToGbk(combo->currentText()) : std::string();
    }
    if (auto* label = qobject_cast<const QLabel*>(control))
        return ToGbk(label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return ToGbk(button->text());
    if (control->isWindow())
        return ToGbk(control->windowTitle());
    QVariant text = control->property("text");
    return text.isValid() ? ToGbk(text.toString()) : std::string();
}

void SetControlText(QWidget* control, const std::string& text) {
    if (!control)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(FromGbk(text));
        edit->setCursorPosition(0);
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(control)) {
        area->setPlainText(FromCrLf(text));
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable())
            combo->setEditText(FromGbk(text));
        else
            combo->setCurrentIndex(combo->findText(FromGbk(text), Qt::MatchFixedString));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(FromGbk(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(FromGbk(text));
    } else if (control->isWindow()) {
        control->setWindowTitle(FromGbk(text));
    } else {
        control->setProperty("text", FromGbk(text));
    }
}

int SelectComboString(QWidget* control, const std::string& prefix) {
    auto* combo = qobject_cast<QComboBox*>(control);
    if (!combo)
        return -1;
    const QString start = FromGbk(prefix);
    int found = -1;
    for (int i = 0; i < combo->count() && found < 0 && !start.isEmpty(); ++i)
        if (combo->itemText(i).startsWith(start, Qt::CaseInsensitive))
            found = i;
    combo->setCurrentIndex(found);
    return found;
}

void ConnectCommands(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [button] { Route(button, BN_CLICKED); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { Route(edit, EN_CHANGE); });
    } else if (auto* area = qobject_cast<QPlainTextEdit*>(control)) {
        QObject::connect(area, &QPlainTextEdit::textChanged, area,
                         [area] { Route(area, EN_CHANGE); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                         [combo] { Route(combo, CBN_SELCHANGE); });
    }
}
