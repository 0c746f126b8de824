#include "toolkit/RowLayout.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/Wnd.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace {

using Layout = CRowLayout;
constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;

class FormWnd : public CWnd {
public:
    std::vector<std::pair<int, int>> commands;

protected:
    bool OnCommand(int id, int code) override {
        commands.push_back({id, code});
        return true;
    }
};

class RowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_form.Create(&m_host, CRect{0, 0, 800, 600}, 1));
        m_layout.SetParent(&m_form);
    }
    QWidget* Edit(Layout::Row* row, int width, int flags) {
        return m_layout.AddEdit(row, 6001, width, flags);
    }

    QWidget m_host;
    FormWnd m_form;
    CRowLayout m_layout;
};

} // namespace

void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

TEST_F(RowLayoutTest, StretchingCellsShareTheFreeWidthAndFillTheRow) {
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    QWidget* a = m_layout.AddLabel(row, "单位名称", 0, 80, kFixed);
    QWidget* b = Edit(row, 100, kStretch);
    QWidget* c = m_layout.AddLabel(row, "<----", 0, 80, kFixed);
    QWidget* d = m_layout.AddLabel(row, "请输入全称", 0, 200, kStretch);
    m_layout.Arrange(700, 500);
    // 460 nominal + 4 gaps = 468; 232 free, 116 for each stretching cell.
    EXPECT_EQ(a->geometry(), QRect(2, 2, 80, 20));
    EXPECT_EQ(b->geometry(), QRect(84, 2, 216, 20));
    EXPECT_EQ(c->geometry(), QRect(302, 2, 80, 20));
    EXPECT_EQ(d->geometry(), QRect(384, 2, 316, 20));
}

TEST_F(RowLayoutTest, UnevenShareIsTruncatedAndTheLastStretchingRowTakesTheRest) {
    std::vector<QWidget*> edits;
    for (int i = 0; i < 3; ++i)
        edits.push_back(Edit(m_layout.AddRow(10, kStretch), 50, kStretch));
    m_layout.Arrange(100, 46); // 30 nominal + 3 gaps: 10 free
    EXPECT_EQ(edits[0]->geometry(), QRect(2, 2, 100, 13));
    EXPECT_EQ(edits[1]->geometry(), QRect(2, 17, 100, 13));
    EXPECT_EQ(edits[2]->geometry(), QRect(2, 32, 100, 14));
}

TEST_F(RowLayoutTest, SingleStretchingItemTakesTheWholeSizeOneGapIn) {
    QWidget* edit = Edit(m_layout.AddRow(50, kStretch), 100, kStretch);
    m_layout.Arrange(300, 200);
    EXPECT_EQ(edit->geometry(), QRect(2, 2, 300, 200));
}

TEST_F(RowLayoutTest, TooSmallAreaLeavesNominalSizesRunningPastTheEdge) {
    Layout::Row* row = m_layout.AddRow(20, kStretch);
    QWidget* label = m_layout.AddLabel(row, "x", 0, 80, kFixed);
    QWidget* edit = Edit(row, 100, kStretch);
    QWidget* below = Edit(m_layout.AddRow(30, kStretch), 10, kFixed);
    m_layout.Arrange(50, 10);
    EXPECT_EQ(label->geometry(), QRect(2, 2, 80, 20));
    EXPECT_EQ(edit->geometry(), QRect(84, 2, 100, 20));
    EXPECT_EQ(below->geometry(), QRect(2, 24, 10, 30));
}

TEST_F(RowLayoutTest, CellGapsSpacersHeightFlagsAndCombos) {
    m_layout.SetRowGap(0);
    m_layout.AddRow(28, kFixed);
    Layout::Row* row = m_layout.AddRow(20, kStretch);
    row->SetCellGap(5);
    m_layout.AddCell(row, nullptr, 10, kFixed);
    QWidget* fixedHigh = Edit(row, 40, CRowLayout::kFixedHeight);
    QWidget* combo = m_layout.AddCombo(row, "A;B", 6009, 40, kStretch);
    QWidget* tall = Edit(row, 40, CRowLayout::kFixedWidth);
    m_layout.Arrange(240, 128);
    // Rows: 48 nominal, so the stretching row is 100 high at y 28.
    // Cells: 130 nominal + 20 gap, 90 free: 45 for each stretching cell.
    EXPECT_EQ(fixedHigh->geometry(), QRect(20, 28, 85, 20));
    EXPECT_EQ(combo->geometry(), QRect(110, 28, 85, 20)); // a combo keeps its row's nominal height
    EXPECT_EQ(tall->geometry(), QRect(200, 28, 40, 100));
}

TEST_F(RowLayoutTest, ChoiceTextSplitsAtEverySemicolon) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {";A;;B;", {"", "A", "", "B"}},
        {"A;B", {"A", "B"}},
        {"", {}},
        {";制造商;其他", {"", "制造商", "其他"}},
    };
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    for (const auto& [text, expected] : cases) {
        auto* combo = qobject_cast<QComboBox*>(m_layout.AddCombo(row, text, 6009, 80, kFixed));
        ASSERT_NE(combo, nullptr);
        std::vector<std::string> items;
        for (int i = 0; i < combo->count(); ++i)
            items.push_back(ToGbk(combo->itemText(i)));
        EXPECT_EQ(items, expected) << Utf8(text);
        EXPECT_EQ(combo->currentIndex(), -1) << "a new list has no choice made";
    }
}

TEST_F(RowLayoutTest, ClearDestroysOwnedWindowsButNotSharedOnes) {
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    std::vector<QPointer<QWidget>> owned = {m_layout.AddLabel(row, "x", 0, 80, kFixed),
                                            Edit(row, 80, kFixed),
                                            m_layout.AddCombo(row, "A;B", 6002, 80, kFixed),
                                            m_layout.AddButton(row, "保存", 8001, 80, kFixed),
                                            m_layout.AddMultiLineEdit(row, 6022, 80, kFixed),
                                            new QWidget(m_form.Widget())};
    m_layout.AddCell(row, owned.back(), 10, kFixed);
    QPointer<QWidget> shared = new QWidget(m_form.Widget());
    m_layout.AddSharedCell(row, shared, 10, kFixed);
    FormWnd grid;
    ASSERT_TRUE(grid.Create(&m_form, CRect{0, 0, 10, 10}, 7));
    m_layout.AddSharedCell(row, &grid, 10, kFixed);

    m_layout.Clear();
    for (const QPointer<QWidget>& w : owned)
        EXPECT_TRUE(w.isNull());
    EXPECT_FALSE(shared.isNull());
    EXPECT_TRUE(grid.IsWindow());
    EXPECT_EQ(m_layout.RowCount(), 0);
}

TEST_F(RowLayoutTest, WindowsThatWentWithTheirParentAreNotDeletedAgain) {
    auto layout = std::make_unique<CRowLayout>(&m_form);
    Layout::Row* row = layout->AddRow(20, kFixed);
    layout->AddEdit(row, 6001, 80, kFixed);
    layout->AddButton(row, "保存", 8001, 80, kFixed);
    m_form.DestroyWindow();
    layout->Arrange(300, 300);
    layout.reset();

    CRowLayout orphan;
    EXPECT_EQ(orphan.AddEdit(orphan.AddRow(20, 0), 6001, 80, 0), nullptr)
        << "no parent, no control";
}

TEST_F(RowLayoutTest, ControlCommandsReachTheParentWindowWithTheirIds) {
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    auto* button = qobject_cast<QPushButton*>(m_layout.AddButton(row, "保存", 8001, 80, kFixed));
    auto* combo = qobject_cast<QComboBox*>(m_layout.AddCombo(row, ";A", 6009, 80, kFixed));
    QWidget* edit = Edit(row, 80, kFixed);
    ASSERT_TRUE(button && combo && edit);
    EXPECT_TRUE(m_form.commands.empty()) << "building the form is no command";

    button->click();
    combo->setCurrentIndex(1);
    SetControlText(edit, "abc");
    EXPECT_EQ(m_form.commands, (std::vector<std::pair<int, int>>{
                                   {8001, BN_CLICKED}, {6009, CBN_SELCHANGE}, {6001, EN_CHANGE}}));
    EXPECT_EQ(m_form.GetDlgItemText(8001), "保存");
}

TEST_F(RowLayoutTest, LabelsShowTheirTextAsTyped) {
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    for (const char* text : {"<----", "<b>粗</b>"}) {
        auto* label = qobject_cast<QLabel*>(m_layout.AddLabel(row, text, 6020, 80, kFixed));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(GetControlText(label), text);
        // Taken as markup, the text would come out narrower than its characters.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
}

TEST_F(RowLayoutTest, EveryWindowInACellGetsTheLayoutFont) {
    Layout::Row* row = m_layout.AddRow(20, kFixed);
    QWidget* label = m_layout.AddLabel(row, "x", 0, 80, kFixed);
    QWidget shared(m_form.Widget());
    m_layout.AddSharedCell(row, &shared, 80, kFixed);
    FormWnd late; // its window is made after its cell was added
    m_layout.AddSharedCell(row, &late, 80, kFixed);
    ASSERT_TRUE(late.Create(&m_form, CRect{0, 0, 1, 1}, 7));
    m_layout.Arrange(400, 100);

    for (QWidget* w : {label, &shared, late.Widget()}) {
        EXPECT_EQ(w->font().families().value(0), QStringLiteral(u"宋体"));
        EXPECT_TRUE(w->font().families().contains(QStringLiteral("Noto Serif CJK SC")));
        EXPECT_EQ(w->font().pointSize(), 10);
    }
    EXPECT_EQ(late.GetWindowRect().left, 166);
}
