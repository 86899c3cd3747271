#pragma once
// Input as the window system delivers it. Keys go to the window, which hands
// them to its focused widget and on to the parents that ignore them; mouse
// presses, releases and double clicks go to positions in the window, which
// picks the widget under them and turns a quick second press into a double
// click; wheel turns go to the window at a position. Tests that hand input
// straight to a widget object miss the faults a user meets at once.

#include <QApplication>
#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

class UserInput {
public:
    explicit UserInput(QWidget *window) : window_(window) {}

    QWindow *handle() const { return window_->windowHandle(); }

    // Makes the window the active one, as a click on its title bar would.
    void activate()
    {
        window_->activateWindow();
        QApplication::setActiveWindow(window_);
    }

    // Puts the keyboard focus on `w` the way Tab moves it there.
    void focus(QWidget *w)
    {
        activate();
        w->setFocus(Qt::TabFocusReason);
    }
    QWidget *focused() const { return QApplication::focusWidget(); }

    // A key press and release, delivered to whatever has the focus.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(handle(), k, mods);
    }
    // A typed character, as the keyboard produces it.
    void type(char c)
    {
        QTest::keyClick(handle(), c);
    }
    void tab() { key(Qt::Key_Tab); }

    // Positions are in `w`'s own coordinates; the centre when none is given.
    QPoint inWindow(QWidget *w, QPoint pos = QPoint(-1, -1)) const
    {
        if (pos == QPoint(-1, -1))
            pos = w->rect().center();
        return w->mapTo(window_, pos);
    }

    // A user can only hit what is shown and not covered by something else.
    void expectReachable(QWidget *w, QPoint pos) const
    {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString() << " is not shown";
        QWidget *hit = window_->childAt(inWindow(w, pos));
        EXPECT_TRUE(hit == w || w->isAncestorOf(hit))
            << w->objectName().toStdString() << " is covered by "
            << (hit ? hit->objectName().toStdString() : std::string("nothing"));
    }

    void click(QWidget *w, QPoint pos = QPoint(-1, -1))
    {
        expectReachable(w, pos);
        QTest::mouseClick(handle(), Qt::LeftButton, Qt::NoModifier, inWindow(w, pos));
    }
    void press(QWidget *w, QPoint pos = QPoint(-1, -1))
    {
        QTest::mousePress(handle(), Qt::LeftButton, Qt::NoModifier, inWindow(w, pos));
    }
    void move(QWidget *w, QPoint pos)
    {
        QTest::mouseMove(handle(), inWindow(w, pos));
    }
    void release(QWidget *w, QPoint pos = QPoint(-1, -1))
    {
        QTest::mouseRelease(handle(), Qt::LeftButton, Qt::NoModifier, inWindow(w, pos));
    }
    // Two quick clicks at one place: the window turns the second press into
    // a double click.
    void doubleClick(QWidget *w, QPoint pos = QPoint(-1, -1))
    {
        expectReachable(w, pos);
        QTest::mouseDClick(handle(), Qt::LeftButton, Qt::NoModifier, inWindow(w, pos));
    }

    // One notch of a mouse wheel (120 units; negative turns down) over `w`.
    void wheel(QWidget *w, int notches = 1)
    {
        const QPointF local = inWindow(w);
        const QPointF global = window_->mapToGlobal(local);
        QWheelEvent e(local, global, QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(handle(), &e);
    }

    // A click on a check box's indicator, where a user aims.
    void clickCheckBox(QCheckBox *box)
    {
        QStyleOptionButton opt;
        opt.initFrom(box);
        const QRect r = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, box);
        click(box, r.isValid() ? r.center() : QPoint(-1, -1));
    }

    // Centre of a slider's handle, in the slider's coordinates.
    static QPoint handleCentre(QSlider *s)
    {
        QStyleOptionSlider opt;
        opt.initFrom(s);
        opt.orientation = s->orientation();
        opt.minimum = s->minimum();
        opt.maximum = s->maximum();
        opt.sliderPosition = s->sliderPosition();
        opt.sliderValue = s->value();
        opt.singleStep = s->singleStep();
        opt.pageStep = s->pageStep();
        opt.upsideDown = s->invertedAppearance();
        return s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
    }

private:
    QWidget *window_;
};
