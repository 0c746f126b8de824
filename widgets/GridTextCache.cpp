#include "widgets/GridTextCache.h"

#include "platform/CodePage.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

// The bounds of what a cache keeps: texts looked up, and characters laid
// out, at some 70 bytes each. Two pages of a wide list fit.
constexpr std::size_t kMaxTexts = 4096;
constexpr std::size_t kMaxLaidOutChars = 8192;
constexpr int kSingleLineFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

// QPainter::drawText turns tabs and carriage returns into spaces and takes
// U+009C as a separator of length variants; line and paragraph separators
// break lines. Such texts are left to it.
bool IsPlainLine(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x85 || u == 0x9C || u == 0x2028 || u == 0x2029)
            return false;
    }
    return true;
}

// The width QFontMetrics::elidedText compares counts trailing spaces, the
// natural width of a laid-out line does not.
bool EndsInSpace(const QString& text) {
    return !text.isEmpty() && text.back().isSpace();
}

void DrawCut(QPainter& painter, const QRect& rect, const QString& text) {
    painter.drawText(rect, kSingleLineFlags,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width()));
}

} // namespace

// A shown text laid out as QPainter::drawText lays out a single line: its own
// paragraph in the painter's direction, on a line as good as unbounded.
struct CGridTextCache::Line {
    QTextLayout layout;
    qreal width = 0;  // the text's natural width
    qreal height = 0; // ascent and descent, which drawText centres
    bool single = false;

    Line(const QString& text, const QFont& font, Qt::LayoutDirection direction)
        : layout(text, font) {
        QTextOption option;
        option.setTextDirection(direction);
        option.setAlignment(Qt::AlignLeft);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setLineWidth(0x01000000);
            line.setPosition(QPointF(0, 0));
            width = std::max<qreal>(0, line.naturalTextWidth());
            height = line.ascent() + line.descent();
            single = !layout.createLine().isValid();
        }
        layout.endLayout();
    }
};

CGridTextCache::CGridTextCache() = default;
CGridTextCache::~CGridTextCache() = default;

void CGridTextCache::Clear() {
    m_shown.clear();
    m_lines.clear();
    m_laidOutChars = 0;
    m_cutLast.clear();
}

void CGridTextCache::Begin(const QPainter& painter) {
    const QFont& font = painter.font();
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 0;
    const Qt::LayoutDirection direction = painter.layoutDirection();
    if (font != m_font || dpi != m_dpi || direction != m_direction) {
        Clear();
        m_font = font;
        m_dpi = dpi;
        m_direction = direction;
    }
    // Right to left, drawText aligns by measures of its own.
    m_exact =
        direction != Qt::RightToLeft && !font.underline() && !font.overline() && !font.strikeOut();
}

void CGridTextCache::Draw(QPainter& painter, const QRect& rect, std::string_view gbk, int column) {
    if (gbk.empty() || rect.width() <= 0)
        return;
    if (gbk.find('\n') != std::string_view::npos) {
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, FromGbk(gbk));
        return;
    }
    const Line* line = m_exact ? ShownLine(painter, rect.width(), gbk, column) : nullptr;
    if (line)
        DrawLine(painter, rect, *line);
    else
        DrawCut(painter, rect, FromGbk(gbk));
}

const CGridTextCache::Line* CGridTextCache::ShownLine(QPainter& painter, int width,
                                                      std::string_view gbk, int column) {
    m_key.assign(reinterpret_cast<const char*>(&width), sizeof width);
    m_key.append(gbk);
    const auto found = m_shown.find(m_key);
    if (found != m_shown.end())
        return found->second;
    if (m_shown.size() >= kMaxTexts || m_laidOutChars >= kMaxLaidOutChars)
        Clear();
    const QString text = FromGbk(gbk);
    const Line* line = IsPlainLine(text) ? LayOut(painter, width, text, column) : nullptr;
    m_shown.emplace(m_key, line);
    return line;
}

// What elidedText makes of the text, laid out. A text that fits is laid out
// once, for measuring and for drawing; which to try first is guessed from
// the last new text of the column.
const CGridTextCache::Line* CGridTextCache::LayOut(QPainter& painter, int width,
                                                   const QString& text, int column) {
    if (column >= int(m_cutLast.size()))
        m_cutLast.resize(size_t(column) + 1, false);
    if (!m_cutLast[size_t(column)] && !EndsInSpace(text)) {
        const Line* whole = LineFor(text);
        if (whole && (text.size() <= 1 || whole->width <= width))
            return whole;
    }
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, width);
    m_cutLast[size_t(column)] = shown != text;
    return LineFor(shown);
}

const CGridTextCache::Line* CGridTextCache::LineFor(const QString& shown) {
    auto found = m_lines.find(shown);
    if (found == m_lines.end()) {
        auto line = std::make_unique<Line>(shown, m_font, m_direction);
        m_laidOutChars += size_t(shown.size());
        if (!line->single)
            line.reset();
        found = m_lines.emplace(shown, std::move(line)).first;
    }
    return found->second.get();
}

// Where and how QPainter::drawText puts one line: at the left, centred by its
// ascent and descent, clipped to the rectangle when it does not fit inside.
void CGridTextCache::DrawLine(QPainter& painter, const QRect& rect, const Line& line) {
    if (line.layout.text().isEmpty())
        return;
    const QRectF room(rect);
    const qreal top = (room.height() - line.height) / 2;
    const bool clip = !room.contains(QRectF(room.x(), room.y() + top, line.width, line.height));
    if (clip) {
        painter.save();
        painter.setClipRect(room, Qt::IntersectClip);
    }
    line.layout.lineAt(0).draw(&painter, QPointF(room.x(), room.y() + top));
    if (clip)
        painter.restore();
}
