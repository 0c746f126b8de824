#include "toolkit/HtmlForm.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/HostFolder.h"
#include "platform/SysColor.h"
#include "toolkit/FormDocument.h"
#include "toolkit/HtmlScanner.h"
#include "widgets/Label.h"
#include "widgets/PictureFile.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRowHeight = 20;
constexpr int kLabelWidth = 80;
constexpr int kDefaultInputWidth = 80;
constexpr int kPixelsPerInputSize = 8;
constexpr int kTextAreaWidth = 100;
constexpr int kSelectWidth = 80;
constexpr int kBottomMargin = 30;
// Bounds for sizes read from the file, so that no hostile number overflows
// the arithmetic of the layout; no real form comes near them.
constexpr int kMaxInputSize = 1000;
constexpr int kMaxTextRows = 1000;
constexpr long long kMaxWindowHeight = 16777215;

std::string AttributeText(const CHtmlScanner& scanner, std::size_t pos, std::string_view name) {
    return scanner.Attribute(pos, name).value_or(std::string());
}

bool IsSet(const CHtmlScanner& scanner, std::size_t pos, std::string_view name) {
    return !AttributeText(scanner, pos, name).empty();
}

// "fixed" present and not empty keeps the nominal width.
int CellFlags(const CHtmlScanner& scanner, std::size_t pos) {
    return IsSet(scanner, pos, "fixed") ? CRowLayout::kFixed : CRowLayout::kStretch;
}

// A number as atoi reads it (blanks, sign, digits), kept within [0, high].
int BoundedNumber(const std::string& text, int high) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return int(std::clamp<long long>(value, 0, high));
}

// "#" and hexadecimal digits, as "#%x" reads them: 0xRRGGBB. Anything else
// is no colour, and the caller keeps the one it had.
bool ParseColor(const std::string& text, COLORREF& color) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (text.size() < 2 || text[0] != '#' || digit(text[1]) < 0)
        return false;
    std::uint32_t value = 0;
    for (std::size_t i = 1; i < text.size() && digit(text[i]) >= 0; ++i)
        value = value * 16 + std::uint32_t(digit(text[i]));
    color = RGB(int(value >> 16), int(value >> 8), int(value));
    return true;
}

} // namespace

struct CHtmlForm::BuildState {
    CRowLayout::Row* row = nullptr;
    long long totalHeight = kRowHeight;
    COLORREF textColor = RGB(0, 0, 0);
    int lastId = kFirstControlId - 1;

    int NextId() { return ++lastId; }
    bool Full() const { return lastId - (kFirstControlId - 1) >= kMaxControls; }
};

CHtmlForm::CHtmlForm() = default;
CHtmlForm::~CHtmlForm() = default;

void CHtmlForm::SetFile(const std::string& file) {
    // A drive or scheme part names the file in full; on this system a path
    // from the root ("/...") does too, as it can never lie below res/.
    const bool full = file.find(':', 1) != std::string::npos || (!file.empty() && file[0] == '/');
    m_filePath = full ? file : HostPath("res/" + file);
}

std::string CHtmlForm::Record(int id) const {
    return std::to_string(id);
}

std::string CHtmlForm::FindRecord(const std::string& name) {
    std::vector<std::string> sections;
    m_document.GetSectionNames(sections);
    for (const std::string& section : sections)
        if (section != kParameters && m_document.HasValue(section, "Name") &&
            m_document.GetString(section, "Name") == name)
            return section;
    return {};
}

int CHtmlForm::FindControlId(const std::string& name) {
    const std::string record = FindRecord(name);
    return record.empty() ? 0 : m_document.GetInt(record, "ControlId");
}

int CHtmlForm::SetValue(const std::string& name, const std::string& value) {
    const std::string record = FindRecord(name);
    if (record.empty()) {
        m_document.SetString(kParameters, name, value);
        return 0;
    }
    m_document.SetString(record, "Value", value);
    if (!IsWindow())
        return 0;
    SetDlgItemText(m_document.GetInt(record, "ControlId"), value);
    return 1;
}

std::string CHtmlForm::GetValue(const std::string& name) {
    const std::string record = FindRecord(name);
    if (record.empty())
        return {};
    if (IsWindow())
        m_document.SetString(record, "Value",
                             GetDlgItemText(m_document.GetInt(record, "ControlId")));
    return m_document.GetString(record, "Value");
}

bool CHtmlForm::OnInitDialog() {
    CLayoutDialog::OnInitDialog();
    ApplyParameters();
    return true;
}

void CHtmlForm::OnOK() {
    StoreControlTexts(m_document, *this);
    EndDialog(IDOK);
}

void CHtmlForm::BuildRows(CRowLayout& layout) {
    m_formBackColor = BackColor();
    CHtmlScanner scanner;
    scanner.LoadFile(m_filePath); // a file that cannot be read gives an empty form
    BuildState state;
    state.row = layout.AddRow(kRowHeight, CRowLayout::kFixed);
    for (std::size_t pos = scanner.First(); pos != CHtmlScanner::npos && !state.Full();
         pos = scanner.Next())
        AddTag(scanner, pos, state);

    const long long height = state.totalHeight + state.row->Height() + kBottomMargin;
    SetOpeningSize(kFormWidth, int(std::min(height, kMaxWindowHeight)));
}

void CHtmlForm::ApplyParameters() {
    std::vector<std::string> keys;
    m_document.GetKeyNames(kParameters, &keys);
    for (const std::string& key : keys) {
        const std::string value = m_document.GetString(kParameters, key);
        if (!value.empty())
            SetValue(key, value);
    }
}

void CHtmlForm::AddTag(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    const std::string tag = scanner.TagName(pos);
    COLORREF color = 0;
    if (tag == "title") {
        if (std::optional<std::string> title = scanner.InnerText(pos))
            SetWindowText(*title);
    } else if (tag == "body") {
        if (ParseColor(AttributeText(scanner, pos, "bgcolor"), color)) {
            m_formBackColor = color;
            SetBackColor(color);
        }
    } else if (tag == "font") {
        if (ParseColor(AttributeText(scanner, pos, "color"), color))
            state.textColor = color;
    } else if (tag == "br") {
        state.totalHeight += state.row->Height();
        state.row = Layout().AddRow(kRowHeight, CRowLayout::kFixed);
    } else if (tag == "span") {
        AddSpan(scanner, pos, state);
    } else if (tag == "img") {
        AddPicture(scanner, pos, state);
    } else if (tag == "input") {
        AddInput(scanner, pos, state);
    } else if (tag == "textarea") {
        AddTextArea(scanner, pos, state);
    } else if (tag == "select") {
        AddSelect(scanner, pos, state);
    }
}

void CHtmlForm::AddSpan(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    const int id = state.NextId();
    const std::string record = Record(id);
    m_document.SetInt(record, "ControlId", id);
    const std::string name = AttributeText(scanner, pos, "name");
    if (!name.empty())
        m_document.SetString(record, "Name", name);
    QWidget* label = Layout().AddLabel(state.row, scanner.InnerText(pos).value_or(std::string()),
                                       id, kLabelWidth, CRowLayout::kFixed);
    if (auto* painted = qobject_cast<CLabel*>(label)) {
        painted->SetTextColor(state.textColor);
        painted->SetBackColor(m_formBackColor);
    }
}

void CHtmlForm::AddPicture(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    // The pictures of a form lie in res/; a full path is refused here, and a
    // name that climbs out of the host folder by the loader.
    const std::string source = AttributeText(scanner, pos, "src");
    const QImage image =
        source.empty() || source[0] == '/' ? QImage() : LoadPicture("res/" + source);
    auto* picture = new QLabel(Widget());
    int width = 0;
    // A picture that cannot be read shows nothing and leaves the row as it was.
    if (!image.isNull()) {
        picture->setPixmap(QPixmap::fromImage(image));
        state.row->SetHeight(image.height());
        width = image.width();
    }
    Layout().AddCell(state.row, picture, width, CellFlags(scanner, pos));
    picture->show();

    const int id = state.NextId();
    const std::string record = Record(id);
    m_document.SetInt(record, "ControlId", id);
    m_document.SetString(record, "ControlType", "Label");
}

void CHtmlForm::AddInput(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    const std::string type = AttributeText(scanner, pos, "type");
    const std::string value = AttributeText(scanner, pos, "value");
    const std::string size = AttributeText(scanner, pos, "size");
    const int width = size.empty() ? kDefaultInputWidth
                                   : kPixelsPerInputSize * BoundedNumber(size, kMaxInputSize);
    const int flags = CellFlags(scanner, pos);

    const int id = state.NextId();
    const std::string record = Record(id);
    m_document.SetString(record, "ControlType", "Edit");
    m_document.SetInt(record, "ControlId", id);
    m_document.SetString(record, "Name", AttributeText(scanner, pos, "name"));
    m_document.SetString(record, "Value", value);
    const std::string field = AttributeText(scanner, pos, "field");
    if (!field.empty())
        m_document.SetString(record, "field", field);

    if (type.empty() || type == "text") {
        SetControlText(Layout().AddEdit(state.row, id, width, flags), value);
    } else if (type == "submit" || type == "reset" || type == "button") {
        m_document.SetString(record, "ControlType", "Button");
        const int buttonId = type == "submit" ? IDOK : type == "reset" ? IDCANCEL : id;
        Layout().AddButton(state.row, value, buttonId, width, flags);
    } else if (type == "checkbox") {
        m_document.SetString(record, "ControlType", "CheckBox");
        AddCheckBox(state.row, AttributeText(scanner, pos, "title"), id, width, flags, state);
    }
    // Other types (hidden, password, ...) make no control; the record stays.
}

void CHtmlForm::AddCheckBox(CRowLayout::Row* row, const std::string& caption, int id, int width,
                            int flags, const BuildState& state) {
    auto* box = new QCheckBox(FromGbk(caption), Widget());
    QPalette colours = box->palette();
    colours.setColor(QPalette::WindowText, ToQColor(state.textColor));
    colours.setColor(QPalette::ButtonText, ToQColor(state.textColor));
    colours.setColor(QPalette::Window, ToQColor(m_formBackColor));
    box->setPalette(colours);
    box->setAutoFillBackground(true);
    box->setFocusPolicy(Qt::StrongFocus);
    SetControlId(box, id);
    ConnectCommands(box);
    Layout().AddCell(row, box, width, flags);
    box->show();
}

void CHtmlForm::AddTextArea(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    const int id = state.NextId();
    QWidget* box =
        Layout().AddMultiLineEdit(state.row, id, kTextAreaWidth, CellFlags(scanner, pos));
    // A stretching box fills the taller row; a fixed one keeps the height the
    // row had when it was added.
    const std::string rows = AttributeText(scanner, pos, "rows");
    state.row->SetHeight(rows.empty() ? kRowHeight
                                      : kRowHeight * BoundedNumber(rows, kMaxTextRows));

    const std::string record = Record(id);
    m_document.SetInt(record, "ControlId", id);
    m_document.SetString(record, "Name", AttributeText(scanner, pos, "name"));
    SetControlText(box, scanner.InnerText(pos).value_or(std::string()));
    const std::string field = AttributeText(scanner, pos, "field");
    if (!field.empty())
        m_document.SetString(record, "field", field);
}

void CHtmlForm::AddSelect(CHtmlScanner& scanner, std::size_t pos, BuildState& state) {
    const int id = state.NextId();
    const std::string record = Record(id);
    m_document.SetString(record, "ControlType", "ComboBox");
    m_document.SetInt(record, "ControlId", id);
    m_document.SetString(record, "Name", AttributeText(scanner, pos, "name"));
    Layout().AddComboChoices(state.row, scanner.Options(pos), false, id, kSelectWidth,
                             CellFlags(scanner, pos));
    const std::string field = AttributeText(scanner, pos, "field");
    if (!field.empty())
        m_document.SetString(record, "field", field);
}
