#include "platform/Interaction.h"

#include "platform/CodePage.h"
#include "platform/Dialog.h"
#include "platform/HostFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace {

QWidget* WindowOf(CWnd* owner) {
    if (owner && owner->Widget())
        return owner->Widget();
    return QApplication::activeWindow();
}

// A menu entry's picture from the host folder's images, white left out.
QIcon MenuPicture(const std::string& name) {
    if (name.empty())
        return QIcon();
    QPixmap picture(FromPath(HostPath("images/" + name)));
    if (picture.isNull())
        return QIcon();
    picture.setMask(picture.createMaskFromColor(Qt::white, Qt::MaskInColor));
    return QIcon(picture);
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

    int PopupMenu(CWnd* owner, const MenuRequest& request) override {
        QMenu menu(WindowOf(owner));
        for (const MenuItem& item : request.items) {
            if (item.id == 0) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(MenuPicture(item.picture), FromGbk(item.text));
            action->setData(item.id);
        }
        const QWidget* anchor = request.anchor;
        QAction* chosen = menu.exec(anchor ? anchor->mapToGlobal(QPoint(0, anchor->height()))
                                           : QPoint(request.screenPoint.x, request.screenPoint.y));
        return chosen ? chosen->data().toInt() : 0;
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

namespace {

// Blanks and control characters end an address: it is not opened.
bool IsBlank(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control;
}

bool HasNoBlanks(QStringView text) {
    return std::none_of(text.begin(), text.end(), IsBlank);
}

bool StartsPath(QChar c) {
    return c == u'/' || c == u'?' || c == u'#';
}

bool IsHostLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-';
}

// What follows "http://": a host of anything but blanks, "/", "?" and "#",
// then anything without blanks.
bool IsAfterScheme(QStringView rest) {
    return !rest.isEmpty() && !StartsPath(rest.front()) && HasNoBlanks(rest);
}

// A bare host: two or more labels of ASCII letters, digits and "-" joined by
// single dots, an optional ":port" of digits, then optionally "/", "?" or "#"
// and anything without blanks. One pass over the text.
bool IsBareHost(QStringView text) {
    const qsizetype end = text.size();
    qsizetype at = 0;
    int labels = 0;
    for (;;) {
        const qsizetype start = at;
        while (at < end && IsHostLetter(text[at]))
            ++at;
        if (at == start)
            return false;
        ++labels;
        if (at == end || text[at] != u'.')
            break;
        ++at;
    }
    if (labels < 2)
        return false;
    if (at < end && text[at] == u':') {
        const qsizetype start = ++at;
        while (at < end && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        if (at == start)
            return false;
    }
    return at == end || (StartsPath(text[at]) && HasNoBlanks(text.mid(at + 1)));
}

} // namespace

// Hand-written rather than a regular expression: a pattern that backtracks
// took minutes over a long text that nearly passed.
std::string NormalizeWebAddress(const std::string& address) {
    const QString text = FromGbk(address).trimmed();
    // Bytes that are not GBK would go out as "?", which starts a query: the
    // address opened would not be the one checked here.
    if (text.contains(QChar(QChar::ReplacementCharacter)))
        return std::string();
    for (QLatin1StringView scheme : {QLatin1StringView("http://"), QLatin1StringView("https://")})
        if (text.startsWith(scheme, Qt::CaseInsensitive))
            return IsAfterScheme(QStringView(text).mid(scheme.size())) ? ToGbk(text)
                                                                       : std::string();
    return IsBareHost(text) ? "http://" + ToGbk(text) : std::string();
}

int ShowPopupMenu(CWnd* owner, const MenuRequest& menu) {
    return Interaction().PopupMenu(owner, menu);
}

bool OpenWebAddress(const std::string& address) {
    std::string complete = NormalizeWebAddress(address);
    return !complete.empty() && Interaction().OpenUrl(complete);
}

namespace {

// A program of the host folder: an absolute path that stays below the folder
// once "." and ".." are resolved. A bare name would be looked up on PATH.
bool IsHostProgram(const std::string& path) {
    const QString program = FromGbk(path);
    if (!QDir::isAbsolutePath(program))
        return false;
    QString folder = QDir::cleanPath(FromGbk(HostFolder()));
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QString cleaned = QDir::cleanPath(program);
    return cleaned.size() > folder.size() && cleaned.startsWith(folder);
}

} // namespace

bool StartProgram(const std::string& path, const std::string& parameters) {
    return IsHostProgram(path) && Interaction().StartProgram(path, parameters);
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
