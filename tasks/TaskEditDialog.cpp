#include "tasks/TaskEditDialog.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/KeyedInsert.h"
#include "database/SqlStatement.h"
#include "platform/CodePage.h"
#include "platform/Interaction.h"
#include "tasks/TaskIds.h"
#include "tasks/TaskRecord.h"
#include "tasks/TaskTextFile.h"
#include "widgets/ButtonPicture.h"

#include <cstdio>
#include <vector>

using namespace tasks::editor;

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;
constexpr const char* kTable = "Nimbrel";

// The columns the form shows, each in its own field.
struct TaskField {
    const char* column;
    int id;
};
constexpr TaskField kFields[] = {
    {"Title", kTitleEdit},       {"Content", kContentEdit},   {"Comment", kCommentEdit},
    {"UserName", kUserNameEdit}, {"Quantity", kQuantityEdit}, {"UnitName", kUnitNameEdit},
    {"Price", kPriceEdit},       {"Produce", kProduceEdit},   {"Model", kModelEdit},
};

} // namespace

CTaskEditDialog::CTaskEditDialog() : CLayoutDialog("编辑信息", kWidth, kHeight) {}
CTaskEditDialog::~CTaskEditDialog() = default;

bool CTaskEditDialog::OnInitDialog() {
    CLayoutDialog::OnInitDialog();
    LoadTask();
    // The user types the title first; left to itself the focus would go to
    // the first button, where Enter imports instead of doing nothing.
    FocusDlgItem(kTitleEdit);
    return true;
}

void CTaskEditDialog::BuildRows(CRowLayout& l) {
    m_panel.Create(CRect{}, this, 0);
    CRowLayout::Row* r = m_panel.AddRow(28, kFixed);
    std::vector<QWidget*> buttons;
    auto button = [&](const char* caption, int id, int width) {
        buttons.push_back(m_panel.AddButton(r, caption, id, width, kFixed));
    };
    button("导入任务", kImportButton, 80);
    button("导出任务", kExportButton, 80);
    button("保存", kSaveButton, 60);
    button("立刻发布", kPublishButton, 80);
    button("退出", IDCANCEL, 60);
    SetButtonPictures(buttons, "images/item.gif", RGB(255, 255, 255));

    l.AddSharedCell(l.AddRow(32, kFixed), &m_panel, 100, kStretch);
    r = l.AddRow(20, kFixed);
    l.AddLabel(r, "标题", 0, 50, kFixed);
    l.AddEdit(r, kTitleEdit, 120, kStretch);
    r = l.AddRow(20, kFixed);
    l.AddLabel(r, "产地", 0, 50, kFixed);
    l.AddEdit(r, kProduceEdit, 80, kFixed);
    l.AddLabel(r, "型号", 0, 50, kFixed);
    l.AddEdit(r, kModelEdit, 80, kFixed);
    r = l.AddRow(20, kFixed);
    l.AddLabel(r, "单位", 0, 50, kFixed);
    l.AddEdit(r, kUnitNameEdit, 80, kFixed);
    l.AddLabel(r, "数量", 0, 50, kFixed);
    l.AddEdit(r, kQuantityEdit, 80, kFixed);
    l.AddLabel(r, "价格", 0, 50, kFixed);
    l.AddEdit(r, kPriceEdit, 80, kFixed);
    r = l.AddRow(20, kFixed);
    l.AddLabel(r, "当前字数", 0, 80, kFixed);
    l.AddLabel(r, "", kCounterLabel, 120, kFixed);
    r = l.AddRow(80, kStretch); // the body takes the height the others leave
    l.AddMultiLineEdit(r, kContentEdit, 100, kStretch);
    l.AddCell(r, nullptr, 10, kFixed);
    r = l.AddRow(20, kFixed);
    l.AddLabel(r, "备注", 0, 50, kFixed);
    l.AddEdit(r, kCommentEdit, 120, kStretch);
    // Copying a task carries its UserName over; saving must not blank it.
    l.AddLabel(r, "用户名", 0, 50, kFixed);
    l.AddEdit(r, kUserNameEdit, 80, kFixed);
}

void CTaskEditDialog::LoadTask() {
    if (m_taskKey < 0)
        return;
    CAdoRecordset record;
    record.SetConnection(m_database ? m_database->GetConnection() : nullptr);
    char sql[64];
    std::snprintf(sql, sizeof sql, "Select * from Nimbrel where Keyid=%d", m_taskKey);
    if (!record.Open(sql)) {
        AfxMessageBox(record.GetLastError(), MB_OK, this);
        return;
    }
    for (const TaskField& field : kFields)
        SetDlgItemText(field.id, record.GetText(field.column)); // NULL gives ""
    record.Close();
}

void CTaskEditDialog::UpdateCounter() {
    char text[32];
    std::snprintf(text, sizeof text, "字数:%d", GbkCharCount(GetDlgItemText(kContentEdit)));
    SetDlgItemText(kCounterLabel, text);
}

bool CTaskEditDialog::CheckForm() {
    const std::string title = GetDlgItemText(kTitleEdit);
    const char* problem = nullptr;
    if (title.empty())
        problem = "标题不能为空";
    else if (title.size() > kMaxTitleBytes)
        problem = "标题不能超过250个字符";
    else if (GetDlgItemText(kContentEdit).empty())
        problem = "内容不能为空!";
    if (problem)
        AfxMessageBox(problem, MB_OK, this);
    return problem == nullptr;
}

void CTaskEditDialog::Save() {
    if (m_taskKey >= 0)
        UpdateTask();
    else if (InsertTask())
        UpdateTask(); // a failure leaves the new row with its bookkeeping only
}

// A new row with the bookkeeping values; its key becomes the task key. No
// other desktop can insert between the row and the learning of its key.
bool CTaskEditDialog::InsertTask() {
    CSqlInsert insert;
    SetNewTaskFields(insert, m_classPath, m_classKey);
    const int key = InsertAndGetKey(m_database, insert);
    if (key < 0) {
        AfxMessageBox(m_database ? m_database->GetLastError() : std::string(), MB_OK, this);
        return false;
    }
    m_taskKey = key;
    return true;
}

void CTaskEditDialog::UpdateTask() {
    CSqlUpdate update;
    update.SetTableName(kTable);
    update.SetText("LastTime", CurrentTaskTime());
    for (const TaskField& field : kFields)
        update.SetText(field.column, GetDlgItemText(field.id));
    update.SetNumber("TotalCount", 0);
    char where[32];
    std::snprintf(where, sizeof where, " KeyId=%d", m_taskKey);
    update.AddWhere(where);
    if (!m_database || m_database->Execute(update.BuildSql()) != 1)
        AfxMessageBox(m_database ? m_database->GetLastError() : std::string(), MB_OK, this);
}

void CTaskEditDialog::PublishNow() {
    if (!CheckForm())
        return;
    Save(); // its failures are shown but do not stop the publishing
    m_publish = true;
    EndDialog(IDOK);
}

void CTaskEditDialog::ExportTexts() {
    TaskText task{GetDlgItemText(kTitleEdit), GetDlgItemText(kContentEdit),
                  GetDlgItemText(kCommentEdit)};
    if (task.title.empty()) {
        AfxMessageBox("标题不可以为空", MB_OK, this);
        return;
    }
    std::string path;
    if (Interaction().ChooseFile(this, {true, kTaskTextExtension, "", kTaskTextFilter}, path))
        WriteTaskTextFile(path, task); // a file that cannot be written is not reported
}

void CTaskEditDialog::ImportTexts() {
    std::string path;
    if (!Interaction().ChooseFile(this, {false, kTaskTextExtension, "", kTaskTextFilter}, path))
        return;
    TaskText task;
    if (!ReadTaskTextFile(path, task)) {
        AfxMessageBox("数据文件格式无效", MB_OK, this);
        return;
    }
    SetDlgItemText(kTitleEdit, task.title);
    SetDlgItemText(kContentEdit, task.text);
    SetDlgItemText(kCommentEdit, task.comment);
}

// Enter does not end the editor: only "立刻发布" and cancel do.
void CTaskEditDialog::OnOK() {}

bool CTaskEditDialog::OnCommand(int id, int code) {
    if ((id == kContentEdit || id == kCommentEdit) && code == EN_CHANGE) {
        UpdateCounter();
        return true;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case kSaveButton:
            if (CheckForm())
                Save();
            return true;
        case kPublishButton:
            PublishNow();
            return true;
        case kExportButton:
            ExportTexts();
            return true;
        case kImportButton:
            ImportTexts();
            return true;
        }
    }
    return CLayoutDialog::OnCommand(id, code);
}
