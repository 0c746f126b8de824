#include "company/CompanyEditView.h"

#include "company/CompanyIds.h"
#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/HostFolder.h"
#include "platform/SysColor.h"
#include "settings/IniFile.h"
#include "widgets/ButtonPicture.h"

#include <cstdio>

using namespace company;

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch; // takes a share of the free width
constexpr const char* kProfileFile = "data/company.ini";
constexpr const char* kSection = ".";

constexpr int kMinNameBytes = 4;
constexpr int kMinAbstractChars = 20;
constexpr int kMaxAbstractChars = 500;

// The profile keys below the name, in the order they are saved.
struct ProfileField {
    const char* key;
    int id;
};
constexpr ProfileField kFields[] = {
    {"UserName", kUserNameEdit}, {"UserPass", kUserPassEdit}, {"Contact", kContactEdit},
    {"Address", kAddressEdit},   {"PostCode", kPostCodeEdit}, {"Homepage", kHomepageEdit},
    {"Email", kEmailEdit},       {"Area", kAreaEdit},         {"Phone", kPhoneEdit},
    {"Fax", kFaxEdit},           {"Mobile", kMobileEdit},     {"Province", kProvinceEdit},
    {"City", kCityEdit},         {"Trade", kTradeEdit},       {"Business", kBusinessEdit},
    {"Xingzhi", kXingzhiList},   {"Moshi", kMoshiList},       {"Yuangong", kYuangongEdit},
    {"Zijin", kZijinEdit},       {"Abstract", kAbstractEdit},
};

const std::string kXingzhiChoices =
    std::string(";国有企业;外资企业;合资企业;私营企业;民营企业;股份制企业;集体企业;") +
    "乡镇企业;行政机关;事业单位;跨国公司;其他";
constexpr const char* kMoshiChoices = ";制造商;服务商;贸易商;其他";

} // namespace

CCompanyEditView::CCompanyEditView() = default;
CCompanyEditView::~CCompanyEditView() = default;

bool CCompanyEditView::OnCreate() {
    SetBackColor(GetSysColor(COLOR_3DFACE));
    BuildForm();
    CRect client = GetClientRect();
    m_layout.Arrange(client.Width(), client.Height());
    LoadProfile();
    UpdateCounter();
    m_hints.AddHoverHint(GetDlgItem(kAreaEdit), "请输入电话区号,例如010");
    return true;
}

void CCompanyEditView::BuildForm() {
    CRowLayout& l = m_layout;
    l.SetParent(this);
    l.SetRowGap(0);
    auto spacer = [&l](int height) { return l.AddRow(height, kFixed); };
    auto row = [&l](int height = 20) { return l.AddRow(height, kFixed); };

    spacer(28)->SetCellGap(0);
    spacer(5);
    CRowLayout::Row* r = row();
    l.AddLabel(r, "单位名称", 0, 80, kFixed);
    l.AddEdit(r, kNameEdit, 100, kStretch);
    l.AddLabel(r, "<----", 0, 80, kFixed);
    l.AddLabel(r, "请输入全称,保存之后不可更改,所以要仔细检查", 0, 200, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "用户帐号", 0, 80, kFixed);
    l.AddEdit(r, kUserNameEdit, 100, kStretch);
    l.AddLabel(r, "(4到10个英文字母),用户注册网络黄页帐号", 0, 200, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "验证密码", 0, 80, kFixed);
    l.AddEdit(r, kUserPassEdit, 100, kStretch);
    l.AddLabel(r, "(4到10个英文字母或数字),注册网络黄页帐号时使用的验证密码", 0, 200, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "通讯地址", 0, 80, kFixed);
    l.AddEdit(r, kAddressEdit, 100, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "联系人", 0, 80, kFixed);
    l.AddEdit(r, kContactEdit, 80, kFixed);
    l.AddLabel(r, "", 0, 10, kFixed);
    l.AddLabel(r, "邮政编码", 0, 80, kFixed);
    l.AddEdit(r, kPostCodeEdit, 80, kFixed);
    spacer(5);
    r = row();
    l.AddLabel(r, "企业性质", 0, 80, kFixed);
    l.AddCombo(r, kXingzhiChoices, kXingzhiList, 80, kFixed);
    l.AddLabel(r, "", 0, 10, kFixed);
    l.AddLabel(r, "经营模式", 0, 80, kFixed);
    l.AddCombo(r, kMoshiChoices, kMoshiList, 80, kFixed);
    spacer(5);
    r = row();
    l.AddLabel(r, "员工数量", 0, 80, kFixed);
    l.AddEdit(r, kYuangongEdit, 80, kFixed);
    l.AddLabel(r, "", 0, 10, kFixed);
    l.AddLabel(r, "注册资金", 0, 80, kFixed);
    l.AddEdit(r, kZijinEdit, 80, kFixed);
    spacer(5);
    r = row();
    l.AddLabel(r, "网站主页", 0, 80, kFixed);
    l.AddEdit(r, kHomepageEdit, 100, kStretch);
    l.AddLabel(r, "电子邮箱", 0, 80, kFixed);
    l.AddEdit(r, kEmailEdit, 80, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "电话", 0, 80, kFixed);
    l.AddEdit(r, kAreaEdit, 50, kFixed);
    l.AddEdit(r, kPhoneEdit, 80, kFixed);
    l.AddLabel(r, "传真", 0, 50, kFixed);
    l.AddEdit(r, kFaxEdit, 80, kFixed);
    l.AddLabel(r, "", 0, 10, kFixed);
    l.AddLabel(r, "手机号码", 0, 80, kFixed);
    l.AddEdit(r, kMobileEdit, 100, kFixed);
    spacer(5);
    r = row();
    l.AddLabel(r, "所属行业", 0, 80, kFixed);
    l.AddEdit(r, kTradeEdit, 130, kFixed);
    l.AddLabel(r, "省份", 0, 50, kFixed);
    l.AddEdit(r, kProvinceEdit, 80, kFixed);
    l.AddLabel(r, "城市", 0, 50, kFixed);
    l.AddEdit(r, kCityEdit, 80, kFixed);
    spacer(5);
    r = row();
    l.AddLabel(r, "主营业务", 0, 80, kFixed);
    l.AddEdit(r, kBusinessEdit, 100, kStretch);
    spacer(5);
    r = row();
    l.AddLabel(r, "企业简介", 0, 80, kFixed);
    l.AddLabel(r, "当前字数", 0, 80, kFixed);
    l.AddLabel(r, "", kCounterLabel, 120, kFixed);
    l.AddLabel(r, "请将字数控制在500字以内", 0, 200, kStretch);
    r = l.AddRow(80, kStretch);
    l.AddMultiLineEdit(r, kAbstractEdit, 100, kStretch);
    l.AddCell(r, nullptr, 10, kFixed);
    spacer(20);
    r = row();
    l.AddLabel(r, "", 0, 80, kFixed);
    SetButtonPicture(l.AddButton(r, "保存", kSaveButton, 80, kFixed), HostPath("images/item.gif"),
                     RGB(255, 255, 255));
    l.AddLabel(r, "", 0, 80, kFixed);
}

void CCompanyEditView::LoadProfile() {
    CIniFile profile;
    profile.Load(HostPath(kProfileFile)); // shows what could be read of an unreadable file
    m_companyName = profile.GetString(kSection, "Name");
    SetDlgItemText(kNameEdit, m_companyName);
    if (!m_companyName.empty())
        EnableDlgItem(kNameEdit, false);
    for (const ProfileField& field : kFields) {
        std::string value = profile.GetString(kSection, field.key);
        if (field.id == kXingzhiList || field.id == kMoshiList)
            SelectComboString(GetDlgItem(field.id), value);
        else
            SetDlgItemText(field.id, value);
    }
}

void CCompanyEditView::UpdateCounter() {
    char text[16];
    std::snprintf(text, sizeof text, "%d", GbkCharCount(GetDlgItemText(kAbstractEdit)));
    SetDlgItemText(kCounterLabel, text);
}

void CCompanyEditView::SaveProfile() {
    const std::string path = HostPath(kProfileFile);
    CIniFile profile;
    // Loaded first, so that what this screen does not know survives. A file
    // that cannot be read whole is not written over with what could be read
    // of it: like a file that cannot be written, it is left as it is and
    // nothing is shown.
    const bool writable = profile.Load(path) != EIniLoad::Unreadable;
    std::string name = GetDlgItemText(kNameEdit);
    if (name.size() < size_t(kMinNameBytes)) {
        m_hints.ShowMessage(GetDlgItem(kNameEdit), "请真实的单位名称!");
        FocusDlgItem(kNameEdit);
        return;
    }
    m_companyName = name;
    profile.SetString(kSection, "Name", name);
    profile.SetString(kSection, "Company", name);
    for (const ProfileField& field : kFields)
        profile.SetString(kSection, field.key, GetDlgItemText(field.id));
    int count = GbkCharCount(GetDlgItemText(kAbstractEdit));
    if (count < kMinAbstractChars || count > kMaxAbstractChars) {
        m_hints.ShowMessage(GetDlgItem(kAbstractEdit), "注意字数不得少于20,不得超过500");
        FocusDlgItem(kAbstractEdit);
    }
    if (writable)
        profile.Save(path); // a failed write is not reported
    EnableDlgItem(kNameEdit, false);
}

void CCompanyEditView::OnDestroy() {
    m_layout.Clear();
}

void CCompanyEditView::OnSize(int cx, int cy) {
    m_layout.Arrange(cx, cy);
}

bool CCompanyEditView::OnCommand(int id, int code) {
    if (id == kSaveButton && code == BN_CLICKED) {
        SaveProfile();
        return true;
    }
    if (id == kAbstractEdit && code == EN_CHANGE) {
        UpdateCounter();
        return true;
    }
    return false;
}
