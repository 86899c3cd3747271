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

// The two colours of a control, kept so that they can be read back as state
// and put into every colour group, so that a disabled window never paints
// the control grey.
class ControlColours {
public:
    ControlColours(QWidget *w, QPalette::ColorRole backRole, QPalette::ColorRole foreRole, QColor back,
                   QColor fore);
    QColor back() const { return back_; }
    QColor fore() const { return fore_; }
    void setBack(const QColor &c);
    void setFore(const QColor &c);

private:
    void apply();
    QWidget *w_;
    QPalette::ColorRole backRole_, foreRole_;
    QColor back_, fore_;
};

// A label used as a key; its background colour is also its state.
class KeyLabel : public QLabel {
    Q_OBJECT
public:
    KeyLabel(const QString &caption, QWidget *parent, QColor back = colours::black,
             QColor fore = colours::white);

    QColor backColor() const { return colours_.back(); }
    void setBackColor(const QColor &c) { colours_.setBack(c); }
    QColor foreColor() const { return colours_.fore(); }
    void setForeColor(const QColor &c) { colours_.setFore(c); }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    ControlColours colours_;
    bool pressed_ = false;
};

// A text box (read-outs, displays). Clicking it raises clicked().
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    TextBox(const QString &text, QWidget *parent, QColor back = colours::white,
            QColor fore = colours::black);

    QColor foreColor() const { return colours_.fore(); }
    void setForeColor(const QColor &c) { colours_.setFore(c); }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;

private:
    ControlColours colours_;
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
