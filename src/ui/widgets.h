#pragma once
// The small widgets the window is made of: keys (labels that act as buttons,
// whose background colour is their state), read-out boxes that can be
// clicked, and sliders that report a completed pointer action.

#include <QAbstractButton>
#include <QAccessibleInterface>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>

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

// Whether a focused key or read-out wears its focus frame now: only once
// the keyboard has moved the focus.
bool showsFocus(const QWidget *w);

// A key: drawn as a coloured box with its caption, as the design has it,
// and a button to the mouse, the keyboard (Tab, Space, Enter) and assistive
// technology. Its background colour is also its state.
class KeyLabel : public QAbstractButton {
    Q_OBJECT
public:
    KeyLabel(const QString &caption, QWidget *parent, QColor back = colours::black,
             QColor fore = colours::white);

    QColor backColor() const { return colours_.back(); }
    void setBackColor(const QColor &c);
    QColor foreColor() const { return colours_.fore(); }
    void setForeColor(const QColor &c) { colours_.setFore(c); }

    // Keys whose colour is their on/off state: `on` means on. They show
    // as checked to assistive technology whenever they wear it.
    void setOnColour(const QColor &on);
    // The caption; an empty one is named `emptyName` to assistive
    // technology (a station key without a station).
    void setText(const QString &caption);
    void setEmptyName(const QString &name);

    // Widens the area that takes clicks beyond the key's painted face, for
    // keys too small to hit. `face` is the painted key within the widget.
    void setFace(const QRect &face);
    QRect face() const { return face_.isNull() ? rect() : face_; }
    // Keys whose caption is data (station names) always carry it in full
    // in their tooltip.
    void setAlwaysTipCaption(bool on);

Q_SIGNALS:
    void captionChanged(const QString &caption);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    // The handler decides the colour, and so the state; a click alone
    // changes nothing.
    void nextCheckState() override {}

private:
    void syncChecked();

    ControlColours colours_;
    QColor onColour_;
    QString emptyName_;
    QRect face_;
    bool alwaysTip_ = false;
};

// A read-only text box (read-outs, displays). It shows its text fitted to
// the box, takes no text cursor, and a click on it raises clicked().
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    TextBox(const QString &text, QWidget *parent, QColor back = colours::white,
            QColor fore = colours::black);

    QColor foreColor() const { return colours_.fore(); }
    void setForeColor(const QColor &c) { colours_.setFore(c); }
    // The same text again changes nothing: a line edit would lay it out
    // anew and tell assistive technology of a change.
    void setText(const QString &text)
    {
        if (text != QLineEdit::text())
            QLineEdit::setText(text);
    }

    // A read-out that is also a key (the centre keys): it takes the focus
    // by Tab, and Space or Enter click it.
    void setActsAsKey(bool on);
    // A tooltip that says more than the text (empty: none). Without one,
    // a text cut short to fit is the tooltip.
    void setNote(const QString &note);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    ControlColours colours_;
    bool actsAsKey_ = false;
    QString note_;
};

// A read-out that is also a key (balance, bass, treble: a click or Space
// sets the middle). Assistive technology meets it as a key named by its
// level and value.
class ReadOutKey : public TextBox {
    Q_OBJECT
public:
    ReadOutKey(const QString &text, QWidget *parent);
};

// The line that shows how far a long run (import, demonstration) has got.
// Assistive technology meets it as a progress bar, so that a screen reader
// speaks the progress at the pace its user has chosen.
class ProgressLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // `done` runs from 0 to 1.
    void setProgress(const QString &text, double done);
    int percent() const { return std::max(percent_, 0); }

private:
    int percent_ = -1;  // none yet: the first value of a run is news
};

// A drop-down list of fixed entries. To assistive technology it is named
// by what it chooses (its accessible name), with the entry as its value.
class ChoiceBox : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);
    // Where assistive technology is told the text cursor stands: it moves
    // with each entry chosen by a key, so that a screen reader reads the
    // entry as it reads a new line.
    int entryCursor() const { return entryCursor_; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    int entryCursor_ = 0;
};

// Tells assistive technology something when shown, and draws nothing: a
// screen reader speaks a notification as it appears.
class Notice : public QWidget {
    Q_OBJECT
public:
    explicit Notice(QWidget *parent);
    // Says `text`, unless the notice is out already.
    void say(const QString &text);
    // Says `text` now, whatever is out.
    void announce(const QString &text);
    void withdraw() { hide(); }
};

// The focus frame of the controls that draw none of their own that can be
// seen (sliders, lists, check boxes): a ring around the focused control,
// drawn over the window, which takes no input and is not offered to
// assistive technology.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    explicit FocusRing(QWidget *window);
    // Goes round `focused`, or away when it draws its own frame.
    void follow(QWidget *focused);
    static constexpr int kMargin = 3;

protected:
    void paintEvent(QPaintEvent *e) override;
};

// The window as assistive technology meets it: a frame whose children are
// what can be seen (controls marked with the property `offTree` are left
// out), busy while the property `busy` is true.
QAccessibleInterface *windowAccessible(QWidget *window);
// Tells assistive technology that the window's busy state changed.
void announceBusy(QWidget *window, bool busy);

// A horizontal slider whose level handler runs once per completed user
// action: the release of the mouse button, or a wheel or keyboard move that
// has come to rest. A value set by code sends nothing.
class LevelSlider : public QSlider {
    Q_OBJECT
public:
    LevelSlider(int min, int max, int value, QWidget *parent);

    // A pointer action that must not count (the window was busy when the
    // button came up): the slider goes back to where the press found it.
    void abandonPointerAction();
    bool pointerDown() const { return pointerDown_; }

Q_SIGNALS:
    void pointerActionDone();
    // The wheel or a key moved the value; the action completes once the
    // slider has rested.
    void movedByUser();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool pointerDown_ = false;
    bool abandoned_ = false;
    int valueAtPress_ = 0;
};
