#pragma once
// The task editor: a modal dialog in which a publishing task (a row of
// Nimbrel) is written or changed, with buttons to import and export its
// texts, to save, and to save and ask for publishing at once.
//
//     CTaskEditDialog dlg;
//     dlg.InitModal(this);
//     dlg.SetDatabase(database);
//     dlg.SetClassPath("/产品供应/");  // a new task: its category
//     dlg.SetClassKey(1);
//     dlg.DoModal();
//     if (dlg.GetTaskKey() >= 0) ...   // a row was stored
//     if (dlg.GetPublish()) ...        // the user asked to publish it
//
// A new task (key -1) is inserted by its first save and updated by every
// later one, so the key tells the caller whether a row exists whatever way
// the dialog ended. Every save stamps LastTime and sets TotalCount back to 0.
// The dialog ends only with "立刻发布" (OK) or with cancel ("退出", Esc, the
// close box); Enter does nothing. Import and export only touch the form.
#include "toolkit/LayoutDialog.h"
#include "toolkit/LayoutPanel.h"

#include <string>

class CAdoDatabase;

class CTaskEditDialog : public CLayoutDialog {
public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 500;
    static constexpr size_t kMaxTitleBytes = 250;

    CTaskEditDialog();
    ~CTaskEditDialog() override;

    void SetDatabase(CAdoDatabase* database) { m_database = database; }
    // For a new task: the ClassPath and TaskClass it is stored with.
    void SetClassPath(const std::string& path) { m_classPath = path; }
    void SetClassKey(int key) { m_classKey = key; }
    // -1 for a new task, else the key of the task to edit.
    void SetTaskKey(int key) { m_taskKey = key; }
    int GetTaskKey() const { return m_taskKey; }
    bool GetPublish() const { return m_publish; }

protected:
    void BuildRows(CRowLayout& layout) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code) override;

private:
    void LoadTask();
    void UpdateCounter();
    bool CheckForm();
    void Save();
    bool InsertTask();
    void UpdateTask();
    void PublishNow();
    void ExportTexts();
    void ImportTexts();

    CAdoDatabase* m_database = nullptr; // the caller's, not owned
    std::string m_classPath;
    int m_taskKey = -1;
    int m_classKey = 0;
    bool m_publish = false;
    CLayoutPanel m_panel;
};
