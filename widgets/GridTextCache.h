#pragma once
// The cell texts a grid has drawn, kept laid out. Laying out a text (finding
// its glyphs and their places in the fonts) costs about as much as drawing
// it, and cutting it to its cell lays it out once more; a page of a list
// repeats many texts: the same status, the same marker and, once cut to a
// narrow column, the same first characters before "…". The cache keeps, per
// text and width, what the cell shows, and each text shown laid out once; a
// repaint (scrolling, a hover, a new selection) draws from it without laying
// out again.
//
// It draws exactly what QPainter::drawText draws for the text cut by
// QFontMetrics::elidedText. Texts and painters it cannot reproduce that way
// (control characters such as tabs, texts with line breaks, a right-to-left
// painter, an underlined or struck-out font) are drawn by QPainter::drawText
// itself. A new font, resolution or direction empties the cache; so does
// reaching a few thousand texts or laid-out characters, which bounds its
// memory (well under a megabyte).
#include <QFont>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;
class QRect;

class CGridTextCache {
public:
    CGridTextCache();
    ~CGridTextCache();
    CGridTextCache(const CGridTextCache&) = delete;
    CGridTextCache& operator=(const CGridTextCache&) = delete;

    // Once per paint, before Draw: takes the painter's font and direction.
    void Begin(const QPainter& painter);
    // Draws a cell's GBK text with the painter's pen, left-aligned and
    // centred vertically in rect: one line, cut with "…" when it is wider
    // than rect; a text with line breaks shows all its lines, uncut. The
    // column (0 or more) only guides the work, never the result.
    void Draw(QPainter& painter, const QRect& rect, std::string_view gbk, int column);
    void Clear();

private:
    struct Line;
    const Line* ShownLine(QPainter& painter, int width, std::string_view gbk, int column);
    const Line* LayOut(QPainter& painter, int width, const QString& text, int column);
    const Line* LineFor(const QString& shown);
    static void DrawLine(QPainter& painter, const QRect& rect, const Line& line);

    QFont m_font;
    int m_dpi = 0;
    Qt::LayoutDirection m_direction = Qt::LeftToRight;
    bool m_exact = false; // the painter's text can be drawn from the cache
    std::string m_key;    // the width's bytes, then the text: reused for lookups
    // What a text shows at a width; null: drawn by QPainter::drawText.
    std::unordered_map<std::string, const Line*> m_shown;
    std::unordered_map<QString, std::unique_ptr<Line>> m_lines;
    std::size_t m_laidOutChars = 0;
    // Per column, whether its last new text was cut: a column's texts mostly
    // all fit or are all cut, and a text that fits is laid out once.
    std::vector<bool> m_cutLast;
};
