#pragma once
// Geometry of the window, from the design measures in twips
// (15 twips = 1 pixel at 96 dpi).

#include <QStringList>
#include <QWidget>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 8085;
inline constexpr int kClientHeight = 4575;
inline constexpr int kLargeOuterWidth = 8175;
inline constexpr int kSmallOuterWidth = 3615;
// The window's frame: outer width minus client width.
inline constexpr int kFrameTwips = kLargeOuterWidth - kClientWidth;

inline int px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

inline void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(left / kTwipsPerPixel, top / kTwipsPerPixel, px(width), px(height));
}

// The entry lists of the timer rows and the fallback choice. They skip 22,
// and minute 25 carries a trailing blank: config.dat stores list positions,
// so these lists must stay exactly as they are.
QStringList weekdayEntries();
QStringList hourEntries();
QStringList minuteEntries();
QStringList slotEntries();

}  // namespace ui
