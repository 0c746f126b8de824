#include "platform/Interaction.h"

#include "platform/CodePage.h"
#include "platform/Dialog.h"
#include "platform/HostFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <vector>

namespace {

QWidget* WindowOf(CWnd* owner) {
    if (owner && owner->Widget())
        return owner->Widget();
    return QApplication::activeWindow();
}

// The desktop implementation of the seam.
class DesktopInteraction : public CInteraction {
public:
    int MessageBox(CWnd* owner, const std::string& text, unsigned type) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), FromGbk(text),
                        QMessageBox::NoButton, WindowOf(owner));
        if (type == MB_YESNO) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setIcon(QMessageBox::Question);
        } else if (type == MB_OKCANCEL) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setIcon(QMessageBox::Question);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.setIcon(QMessageBox::Warning);
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Ok:
            return IDOK;
        default:
            return type == MB_YESNO ? IDNO : IDCANCEL;
        }
    }

    bool ChooseFile(CWnd* owner, const FileDialogRequest& request, std::string& path) override {
        QString filter = FromGbk(QtFileFilter(request.filter));
        QString start = FromGbk(request.fileName);
        QString chosen =
            request.save ? QFileDialog::getSaveFileName(WindowOf(owner), QString(), start, filter,
                                                        nullptr, QFileDialog::DontConfirmOverwrite)
                         : QFileDialog::getOpenFileName(WindowOf(owner), QString(), start, filter);
        if (chosen.isEmpty())
            return false;
        if (request.save && QFileInfo(chosen).suffix().isEmpty() &&
            !request.defaultExtension.empty()) {
            QString extension = FromGbk(request.defaultExtension);
            if (!extension.startsWith(QLatin1Char('.')))
                chosen += QLatin1Char('.');
            chosen += extension;
        }
        path = ToPath(chosen);
        return true;
    }

    void SetWaitCursor(bool on) override {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

    bool OpenUrl(const std::string& address) override {
        return QDesktopServices::openUrl(QUrl(FromGbk(address)));
    }

    bool StartProgram(const std::string& path, const std::string& parameters) override {
        return QProcess::startDetached(FromPath(path), {FromGbk(parameters)},
                                       FromPath(HostFolder()));
    }

    int RunModal(CDialog& dialog) override {
        if (!dialog.CreateModalWindow())
            return -1;
        int result = dialog.RunModalLoop();
        dialog.DestroyWindow();
        return result;
    }
};

CInteraction* g_installed = nullptr;

} // namespace

CInteraction& Interaction() {
    static DesktopInteraction desktop;
    return g_installed ? *g_installed : desktop;
}

void SetInteraction(CInteraction* interaction) {
    g_installed = interaction;
}

int AfxMessageBox(const std::string& text, unsigned type, CWnd* owner) {
    return Interaction().MessageBox(owner, text, type);
}

std::string NormalizeWebAddress(const std::string& address) {
    QString text = FromGbk(address).trimmed();
    static const QRegularExpression web(QStringLiteral("^https?://[^\\s/?#]+\\S*$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bareHost(
        QStringLiteral("^[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+(:\\d+)?([/?#]\\S*)?$"));
    if (web.match(text).hasMatch())
        return ToGbk(text);
    if (bareHost.match(text).hasMatch())
        return "http://" + ToGbk(text);
    return {};
}

bool OpenWebAddress(const std::string& address) {
    std::string complete = NormalizeWebAddress(address);
    return !complete.empty() && Interaction().OpenUrl(complete);
}

bool StartProgram(const std::string& path, const std::string& parameters) {
    return Interaction().StartProgram(path, parameters);
}

std::string QtFileFilter(const std::string& windowsFilter) {
    // Entries come in pairs: a description, then its patterns; "||" ends the list.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < windowsFilter.size()) {
        size_t bar = windowsFilter.find('|', start);
        if (bar == std::string::npos)
            bar = windowsFilter.size();
        if (bar == start)
            break;
        parts.push_back(windowsFilter.substr(start, bar - start));
        start = bar + 1;
    }
    std::string result;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description = parts[i];
        size_t open = description.rfind('(');
        if (open != std::string::npos && description.back() == ')')
            description.erase(open);
        while (!description.empty() && description.back() == ' ')
            description.pop_back();
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';')
                c = ' ';
        if (!result.empty())
            result += ";;";
        result += description + " (" + patterns + ")";
    }
    return result;
}

CWaitCursor::CWaitCursor() {
    Interaction().SetWaitCursor(true);
}

CWaitCursor::~CWaitCursor() {
    Interaction().SetWaitCursor(false);
}
