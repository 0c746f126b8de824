#include "toolkit/RowLayout.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/Wnd.h"
#include "toolkit/ChoiceText.h"
#include "widgets/ImageButton.h"
#include "widgets/Label.h"

#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <algorithm>
#include <limits>

// One place in a row. A window object's window is looked up when the cell is
// placed; plain windows are watched, so that one which went with its parent
// window is neither placed nor deleted again.
class CRowLayout::Cell {
public:
    QWidget* Window() const { return m_wnd ? m_wnd->Widget() : m_window.data(); }

    QPointer<QWidget> m_window;
    CWnd* m_wnd = nullptr;
    QPointer<QWidget> m_fontGivenTo;
    int m_width = 0;
    int m_height = 0;
    int m_flags = 0;
    bool m_owned = false;
};

namespace {

struct Span {
    int position;
    int size;
};

// Shares the free space of one direction among the stretching items; the last
// stretching item takes what the others left, so together they fill it.
std::vector<Span> Distribute(const std::vector<std::pair<int, bool>>& items, int available,
                             int gap) {
    int sum = 0;
    int stretching = 0;
    for (const auto& [nominal, stretches] : items) {
        sum += nominal;
        stretching += stretches ? 1 : 0;
    }
    const int count = int(items.size());
    if (count >= 2)
        sum += gap * count;
    int freeSpace = std::max(0, available - sum);
    const double share = stretching > 0 ? double(freeSpace) / stretching : 0.0;
    int remaining = stretching - 1;

    std::vector<Span> spans;
    spans.reserve(items.size());
    int position = gap;
    for (const auto& [nominal, stretches] : items) {
        int size = nominal;
        if (stretches) {
            const int extra = int(freeSpace - remaining * share);
            freeSpace -= extra;
            --remaining;
            size += extra;
        }
        spans.push_back({position, size});
        position += size + gap;
    }
    return spans;
}

// 10-point Song; the family is asked for by its own name first, then by
// others that carry the same Chinese glyphs on machines without it. AR PL
// UMing comes first of those: a Song face with drawn bitmaps at small sizes,
// it looks like Song on the desktop the screens were made for, and it draws
// in half the time of the outline faces after it, whose smoothed glyphs Qt
// blends pixel by pixel with gamma correction.
// Texts are set glyph after glyph, as the desktop the screens were made for
// sets them, without the font's optional ligatures and kerning: for Chinese
// and Latin text Qt then skips the shaping engine, which took half of the
// time a list needs to lay out the texts of its first page. Scripts that
// cannot do without shaping are shaped all the same.
std::unique_ptr<QFont> MakeLayoutFont() {
    auto font = std::make_unique<QFont>();
    font->setFamilies({QStringLiteral(u"宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                       QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                       QStringLiteral("Noto Sans CJK SC")});
    font->setPointSize(10);
    font->setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Edits hold texts of any length: Qt's default limit of 32,767 characters
// would cut a longer value read from a file, and the next save would write it
// back cut.
void LiftLengthLimit(QLineEdit* edit) {
    edit->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace

CRowLayout::Row::Row(CRowLayout* layout, int height, int flags)
    : m_layout(layout), m_height(height), m_flags(flags) {}

CRowLayout::Row::~Row() = default;

CRowLayout::CRowLayout() : m_font(MakeLayoutFont()) {}

CRowLayout::CRowLayout(CWnd* parent) : CRowLayout() {
    m_parent = parent;
}

CRowLayout::~CRowLayout() {
    Clear();
}

CRowLayout::Row* CRowLayout::AddRow(int height, int flags) {
    m_rows.push_back(std::unique_ptr<Row>(new Row(this, height, flags)));
    return m_rows.back().get();
}

CRowLayout::Cell* CRowLayout::AddCell(Row* row, QWidget* window, int width, int flags) {
    return AddCellTo(row, window, nullptr, width, flags, true);
}

CRowLayout::Cell* CRowLayout::AddSharedCell(Row* row, QWidget* window, int width, int flags) {
    return AddCellTo(row, window, nullptr, width, flags, false);
}

CRowLayout::Cell* CRowLayout::AddSharedCell(Row* row, CWnd* window, int width, int flags) {
    return AddCellTo(row, nullptr, window, width, flags, false);
}

CRowLayout::Cell* CRowLayout::AddCellTo(Row* row, QWidget* window, CWnd* wnd, int width, int flags,
                                        bool owned) {
    if (!row)
        return nullptr;
    auto cell = std::make_unique<Cell>();
    cell->m_window = window;
    cell->m_wnd = wnd;
    cell->m_width = width;
    cell->m_height = row->m_height;
    cell->m_flags = flags;
    cell->m_owned = owned;
    if (QWidget* shown = cell->Window()) {
        shown->setFont(*m_font);
        cell->m_fontGivenTo = shown;
    }
    row->m_cells.push_back(std::move(cell));
    return row->m_cells.back().get();
}

QWidget* CRowLayout::ParentWidget() const {
    return m_parent ? m_parent->Widget() : nullptr;
}

QWidget* CRowLayout::AddControl(Row* row, QWidget* control, int id, int width, int flags) {
    SetControlId(control, id);
    ConnectCommands(control);
    AddCell(row, control, width, flags);
    // Shown without a size, a control first takes its size hint, which
    // measures its caption in the font: far more work than the control's
    // creation, and Arrange places it anyway. Until then it has its cell's
    // nominal size.
    if (!control->testAttribute(Qt::WA_Resized))
        control->resize(std::max(width, 0), std::max(row->Height(), 0));
    control->show();
    return control;
}

QWidget* CRowLayout::AddLabel(Row* row, const std::string& text, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    return AddControl(row, new CLabel(FromGbk(text), parent), id, width, flags);
}

QWidget* CRowLayout::AddEdit(Row* row, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    auto* edit = new QLineEdit(parent);
    edit->setFocusPolicy(Qt::StrongFocus);
    LiftLengthLimit(edit);
    return AddControl(row, edit, id, width, flags);
}

QWidget* CRowLayout::AddCombo(Row* row, const std::string& choices, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->resize(100, 200); // until the first Arrange
    // Choices go in before the commands are connected: filling the list is
    // not a choice of the user's.
    for (const std::string& choice : SplitChoices(choices))
        combo->addItem(FromGbk(choice));
    combo->setCurrentIndex(-1);
    return AddControl(row, combo, id, width, flags);
}

QWidget* CRowLayout::AddComboChoices(Row* row, const std::vector<std::string>& choices,
                                     bool editable, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    auto* combo = new QComboBox(parent);
    combo->setEditable(editable);
    if (editable)
        LiftLengthLimit(combo->lineEdit());
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->resize(100, 200); // until the first Arrange
    for (const std::string& choice : choices)
        combo->addItem(FromGbk(choice));
    combo->setCurrentIndex(-1);
    return AddControl(row, combo, id, width, flags);
}

QWidget* CRowLayout::AddButton(Row* row, const std::string& caption, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    auto* button = new CImageButton(FromGbk(caption), parent);
    button->setFocusPolicy(Qt::StrongFocus);
    return AddControl(row, button, id, width, flags);
}

QWidget* CRowLayout::AddMultiLineEdit(Row* row, int id, int width, int flags) {
    QWidget* parent = ParentWidget();
    if (!parent || !row)
        return nullptr;
    auto* edit = new QPlainTextEdit(parent);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return AddControl(row, edit, id, width, flags);
}

void CRowLayout::Arrange(int width, int height) {
    std::vector<std::pair<int, bool>> rows;
    rows.reserve(m_rows.size());
    for (const auto& row : m_rows)
        rows.push_back({row->m_height, (row->m_flags & kFixedHeight) == 0});
    const std::vector<Span> spans = Distribute(rows, height, m_rowGap);
    for (size_t i = 0; i < m_rows.size(); ++i)
        PlaceRow(*m_rows[i], spans[i].position, spans[i].size, width);
}

void CRowLayout::PlaceRow(Row& row, int y, int height, int width) {
    std::vector<std::pair<int, bool>> cells;
    cells.reserve(row.m_cells.size());
    for (const auto& cell : row.m_cells)
        cells.push_back({cell->m_width, (cell->m_flags & kFixedWidth) == 0});
    const std::vector<Span> spans = Distribute(cells, width, row.m_cellGap);
    for (size_t i = 0; i < row.m_cells.size(); ++i) {
        Cell& cell = *row.m_cells[i];
        QWidget* window = cell.Window();
        if (!window)
            continue;
        if (cell.m_fontGivenTo != window) { // a window object created after it was added
            window->setFont(*m_font);
            cell.m_fontGivenTo = window;
        }
        const int w = (cell.m_flags & kFixedWidth) ? cell.m_width : spans[i].size;
        int h = (cell.m_flags & kFixedHeight) ? cell.m_height : height;
        if (qobject_cast<QComboBox*>(window))
            h = cell.m_height;
        window->setGeometry(spans[i].position, y, w, h);
    }
}

void CRowLayout::Clear() {
    for (const auto& row : m_rows)
        for (const auto& cell : row->m_cells)
            if (cell->m_owned)
                delete cell->m_window.data();
    m_rows.clear();
}
