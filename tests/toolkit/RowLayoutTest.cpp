#include "toolkit/RowLayout.h"

#include "platform/CodePage.h"
#include "platform/Wnd.h"
#include "tests/toolkit/DialogScript.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;
constexpr int kFixedWidth = CRowLayout::kFixedWidth;
using Commands = std::vector<std::pair<int, int>>;

class FormWnd : public CWnd {
public:
    Commands commands;

protected:
    bool OnCommand(int id, int code) override {
        commands.push_back({id, code});
        return true;
    }
};

class RowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_form.Create(&m_host, CRect{0, 0, 800, 600}, 1)); }
    QWidget* Edit(CRowLayout::Row* row, int width, int flags) {
        return m_layout.AddEdit(row, 6001, width, flags);
    }

    QWidget m_host;
    FormWnd m_form;
    CRowLayout m_layout{&m_form};
};

} // namespace

TEST_F(RowLayoutTest, StretchingCellsShareTheFreeWidthAndTheLastTakesTheRest) {
    struct Cell {
        int nominal, flags, x, width; // the last two as placed, each as high as the row
    };
    const std::pair<int, std::vector<Cell>> cases[] = {
        // 460 nominal + 4 gaps = 468; 232 free, 116 for each stretching cell.
        {700,
         {{80, kFixedWidth, 2, 80},
          {100, 0, 84, 216},
          {80, kFixedWidth, 302, 80},
          {200, 0, 384, 316}}},
        // 30 nominal + 3 gaps: 10 free, truncated shares 3 and 3, the rest 4.
        {46, {{10, 0, 2, 13}, {10, 0, 17, 13}, {10, 0, 32, 14}}},
        // A single item adds no gap: the whole width, one gap in.
        {300, {{100, 0, 2, 300}}},
        // No free space: nominal sizes, past the edge.
        {50, {{80, kFixedWidth, 2, 80}, {100, 0, 84, 100}}}};
    for (const auto& [width, cells] : cases) {
        m_layout.Clear();
        CRowLayout::Row* row = m_layout.AddRow(20, kStretch);
        std::vector<QWidget*> edits;
        for (const Cell& cell : cells)
            edits.push_back(Edit(row, cell.nominal, cell.flags));
        m_layout.Arrange(width, 200);
        for (size_t i = 0; i < edits.size(); ++i)
            EXPECT_EQ(edits[i]->geometry(), QRect(cells[i].x, 2, cells[i].width, 200))
                << "width " << width << " cell " << i;
    }
}

TEST_F(RowLayoutTest, RowsStretchByTheSameRuleAndCellsFollowTheirFlags) {
    m_layout.SetRowGap(0);
    m_layout.AddRow(28, kFixed);
    CRowLayout::Row* row = m_layout.AddRow(20, kStretch);
    row->SetCellGap(5);
    m_layout.AddCell(row, nullptr, 10, kFixed);
    QWidget* fixedHigh = Edit(row, 40, CRowLayout::kFixedHeight);
    QWidget* combo = m_layout.AddCombo(row, "A;B", 6009, 40, kStretch);
    QWidget* tall = Edit(row, 40, kFixedWidth);
    m_layout.Arrange(240, 128);
    // Rows: 48 nominal, so the stretching row is 100 high at y 28.
    // Cells: 130 nominal + 20 gap, 90 free: 45 for each stretching cell.
    EXPECT_EQ(fixedHigh->geometry(), QRect(20, 28, 85, 20));
    EXPECT_EQ(combo->geometry(), QRect(110, 28, 85, 20)); // a combo keeps its row's nominal height
    EXPECT_EQ(tall->geometry(), QRect(200, 28, 40, 100));
}

TEST_F(RowLayoutTest, ChoiceTextSplitsAtEverySemicolonAndNoChoiceIsMade) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {";A;;B;", {"", "A", "", "B"}}, {"A;B", {"A", "B"}}, {"", {}}};
    for (const auto& [text, expected] : cases) {
        auto* combo = qobject_cast<QComboBox*>(
            m_layout.AddCombo(m_layout.AddRow(20, kFixed), text, 6009, 80, kFixed));
        std::vector<std::string> items;
        for (int i = 0; i < combo->count(); ++i)
            items.push_back(ToGbk(combo->itemText(i)));
        EXPECT_EQ(items, expected) << text;
        EXPECT_EQ(combo->currentIndex(), -1);
    }
}

TEST_F(RowLayoutTest, ClearDestroysOwnedWindowsOnlyAndNothingIsDeletedTwice) {
    CRowLayout::Row* row = m_layout.AddRow(20, kFixed);
    std::vector<QPointer<QWidget>> owned = {
        m_layout.AddLabel(row, "x", 0, 80, kFixed), Edit(row, 80, kFixed),
        m_layout.AddCombo(row, "A;B", 6002, 80, kFixed),
        m_layout.AddButton(row, "保存", 8001, 80, kFixed), new QWidget(m_form.Widget())};
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

    // Windows that went with their parent are neither placed nor deleted again.
    Edit(m_layout.AddRow(20, kFixed), 80, kFixed);
    m_form.DestroyWindow();
    m_layout.Arrange(300, 300);
    m_layout.Clear();
    EXPECT_EQ(m_layout.AddEdit(m_layout.AddRow(20, 0), 6001, 80, 0), nullptr) << "no parent window";
}

TEST_F(RowLayoutTest, CommandsReachTheParentLabelsShowPlainTextAllGetTheLayoutFont) {
    CRowLayout::Row* row = m_layout.AddRow(20, kFixed);
    QWidget* button = m_layout.AddButton(row, "保存", 8001, 80, kFixed);
    auto* combo = qobject_cast<QComboBox*>(m_layout.AddCombo(row, ";A", 6009, 80, kFixed));
    QWidget* edit = Edit(row, 80, kFixed);
    auto* label = qobject_cast<QLabel*>(m_layout.AddLabel(row, "<b>粗</b>", 6020, 80, kFixed));
    EXPECT_TRUE(m_form.commands.empty()) << "building the form is no command";
    Click(m_form, 8001);
    combo->setCurrentIndex(1);
    SetControlText(edit, "abc");
    EXPECT_EQ(m_form.commands,
              (Commands{{8001, BN_CLICKED}, {6009, CBN_SELCHANGE}, {6001, EN_CHANGE}}));
    // Taken as markup, the text would come out narrower than its characters.
    EXPECT_GE(label->sizeHint().width(),
              label->fontMetrics().horizontalAdvance(QStringLiteral(u"<b>粗</b>")));
    for (QWidget* w : {button, edit, static_cast<QWidget*>(label)})
        EXPECT_EQ(w->font().families().value(0) + QString::number(w->font().pointSize()),
                  u"宋体10");
}
