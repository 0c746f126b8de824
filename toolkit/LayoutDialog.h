#pragma once
// A modal dialog laid out in rows: it owns a row layout whose parent is the
// dialog, builds it each time the dialog opens and arranges it again on every
// size change, so a derived dialog says only what its rows hold:
//
//     class CNameDialog : public CLayoutDialog {
//     public:
//         CNameDialog() : CLayoutDialog("输入名称", 300, 200) {}
//     protected:
//         void BuildRows(CRowLayout& layout) override {
//             CRowLayout::Row* row = layout.AddRow(24, CRowLayout::kFixed);
//             layout.AddEdit(row, 6001, 100, CRowLayout::kStretch);
//         }
//     };
//
// Opening runs, in this order: the caption, BuildRows, the outer size,
// centring over the owner, showing, and Arrange for the client area. Cells
// may hold windows of the dialog's own, such as a CLayoutPanel button strip
// created in BuildRows and added with AddSharedCell. A dialog that fills its
// controls once they stand (values, focus, a record read from the database)
// overrides OnInitDialog and calls this class's first. One that learns its
// caption or size only while building, from a document or a form file, sets
// them from BuildRows with SetWindowText and SetOpeningSize.
#include "toolkit/CodeDialog.h"
#include "toolkit/RowLayout.h"

#include <string>

class CLayoutDialog : public CCodeDialog {
public:
    ~CLayoutDialog() override;

    CRowLayout& Layout() { return m_layout; }

protected:
    // The caption and the outer size in pixels, frame included, that the
    // dialog opens with; a size of 0 keeps 280 x 160 dialog units.
    explicit CLayoutDialog(std::string caption = {}, int width = 0, int height = 0);

    // Adds the rows and cells; the layout is empty and its parent is the
    // dialog, whose window exists but is not shown yet.
    virtual void BuildRows(CRowLayout& layout) = 0;
    void SetOpeningSize(int width, int height);

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;

private:
    CRowLayout m_layout;
    std::string m_caption;
    int m_width;
    int m_height;
};
