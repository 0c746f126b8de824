#pragma once
// Qt's raster engine hands every gradient, outline or pattern it draws over
// 96 lines or more to its thread pool in slices, and waits for them. A
// vertical scroll bar is 16 pixels wide but as tall as its list; its groove
// alone makes several such hand-offs, which cost far more than the pixels:
// nearly a fifth of a 5,000-row list's first paint, in processor time.
// Drawn band by band, each band in a strip of fewer lines, the bar is painted
// by the GUI thread alone, in the application's style and with its pixels.
class QScrollBar;

void PaintScrollBarInBands(QScrollBar* bar);
