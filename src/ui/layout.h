#pragma once
// Geometry of the window, from the design measures in twips
// (15 twips = 1 pixel at 96 dpi).

#include <QFont>
#include <QSize>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 8085;
inline constexpr int kClientHeight = 4575;
inline constexpr int kLargeOuterWidth = 8175;
inline constexpr int kSmallOuterWidth = 3615;
// The window's frame: outer width minus client width.
inline constexpr int kFrameTwips = kLargeOuterWidth - kClientWidth;

// The scale of the window: 1 at the design's size, larger for a larger
// desktop font, smaller where the screen has no room for the design's size.
double zoom();
void setZoom(double z);
// The scale for the desktop's font on a screen with `room` to spare.
double zoomFor(const QFont &desktopFont, const QSize &room);

// A length and a position in pixels.
inline int px(int twips) { return int(std::lround(twips * zoom() / kTwipsPerPixel)); }
inline int at(int twips) { return int(twips * zoom() / kTwipsPerPixel); }
// A font size of the design, in pixels at the window's scale.
inline int fontPx(int designPixels) { return std::max(1, int(std::lround(designPixels * zoom()))); }

inline void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(at(left), at(top), px(width), px(height));
}

// The entry lists of the timer rows and the fallback choice. They skip 22,
// and minute 25 carries a trailing blank: config.dat stores list positions,
// so these lists must stay exactly as they are.
QStringList weekdayEntries();
QStringList hourEntries();
QStringList minuteEntries();
QStringList slotEntries();

}  // namespace ui
