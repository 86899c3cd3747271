#pragma once
// The small widgets the window is made of: keys (labels that act as buttons,
// whose background colour is their state), read-out boxes that can be
// clicked, and sliders that report a completed pointer action.

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace colours {
inline const QColor black(0, 0, 0);
inline const QColor white(255, 255, 255);
inline const QColor green(0, 128, 0);
inline const QColor silver(192, 192, 192);
inline const QColor red(255, 0, 0);
inline const QColor nameGreen(0, 192, 0);
inline const QColor olive(192, 192, 0);
}  // namespace colours

// A label used as a key. Its colours are kept explicitly so that a disabled
// window never paints it grey, and so that the colour can be read back as
// state.
class KeyLabel : public QLabel {
    Q_OBJECT
public:
    KeyLabel(const QString &caption, QWidget *parent, QColor back = colours::black,
             QColor fore = colours::white);

    QColor backColor() const { return back_; }
    void setBackColor(const QColor &c);
    QColor foreColor() const { return fore_; }
    void setForeColor(const QColor &c);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void applyColours();
    QColor back_;
    QColor fore_;
    bool pressed_ = false;
};

// A text box (read-outs, displays). Clicking it raises clicked().
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    TextBox(const QString &text, QWidget *parent, QColor back = colours::white,
            QColor fore = colours::black);

    QColor foreColor() const { return fore_; }
    void setForeColor(const QColor &c);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;

private:
    void applyColours();
    QColor back_;
    QColor fore_;
};

// A horizontal slider whose level handler runs once per completed pointer
// action (the release of the mouse button), never when a value is set by
// code or by the keyboard.
class LevelSlider : public QSlider {
    Q_OBJECT
public:
    LevelSlider(int min, int max, int value, QWidget *parent);

Q_SIGNALS:
    void pointerActionDone();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    bool pointerDown_ = false;
};
