// The window as a user drives it: keys typed wherever the focus is, double
// clicks, the wheel and the arrow keys on a slider, check boxes, displays
// that only show, captions that fit. All input takes the window system's
// path (tests/support/user_input.h).

#include "amp_fixture.h"

#include <QImage>

namespace {

class RealInput : public AmpTest {
protected:
    // Text pixels (any colour but the background) of a rendered widget:
    // the first and last column they reach.
    static std::pair<int, int> inkColumns(QWidget *w, const QRect &box, const QColor &back)
    {
        const QImage img = w->grab().toImage();
        int first = -1, last = -1;
        for (int x = box.left(); x <= box.right(); ++x)
            for (int y = box.top(); y <= box.bottom(); ++y)
                if (QColor(img.pixel(x, y)) != back) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

}  // namespace

TEST_F(RealInput, PlusAndMinusSendOneCodeWhereverTheFocusIs)
{
    settle();
    click(form->Quelle[7]);  // "config" sends nothing; it shows the timer rows
    run(0.2);
    ASSERT_EQ(input->focused(), form->volR);  // where the window starts the focus
    const int weekday = form->Woche[0]->currentIndex();
    for (QWidget *target : std::initializer_list<QWidget *>{form->volR, form->Woche[0], form->balR}) {
        SCOPED_TRACE(target->objectName().toStdString());
        input->focus(target);
        ASSERT_EQ(input->focused(), target);
        const int before = form->volR->value();
        double t0 = now();
        type('+');
        run(0.5);
        EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<3"});
        EXPECT_EQ(form->volR->value(), before + 1);
        EXPECT_EQ(form->volA->text(), QString::number(before + 1));
        t0 = now();
        type('-');
        run(0.5);
        EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<4"});
        EXPECT_EQ(form->volR->value(), before);
    }
    EXPECT_EQ(form->Woche[0]->currentIndex(), weekday);
}

TEST_F(RealInput, ADoubleClickRunsAKeyOnce)
{
    settle();
    double t0 = now();
    input->doubleClick(form->Quelle[6]);  // cd
    run(0.5);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<>"});

    t0 = now();
    input->doubleClick(form->transportKeys[10]);  // CD "start"
    run(1.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"026"});

    t0 = now();
    input->doubleClick(form->balA);  // balance centre key
    run(0.5);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0;9"});

    click(form->Quelle[1]);  // fm: the station keys show
    run(1.0);
    t0 = now();
    input->doubleClick(form->stationT[7]);  // slot 7
    run(1.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"09="});

    // "fm" again steps the key mode: a double click steps it once.
    const int mode = form->stationKeyMode.toInt();
    t0 = now();
    input->doubleClick(form->Quelle[1]);
    run(0.5);
    EXPECT_EQ(form->stationKeyMode.toInt(), mode % 3 + 1);
    EXPECT_TRUE(sentFrom(t0).empty());

    click(form->Quelle[7]);
    run(0.2);
    t0 = now();
    const QColor before = form->ls1K->backColor();
    input->doubleClick(form->ls1K);  // spk 1 toggles once
    run(0.5);
    EXPECT_EQ(form->ls1K->backColor(), before == colours::green ? colours::white : colours::green);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<?"});
}

TEST_F(RealInput, DemonstrationBoxesTickAndClearWithoutAGreyState)
{
    settle();
    click(form->Quelle[7]);
    for (QCheckBox *box : {form->demoM7, form->demoN5, form->demoW2, form->demoXV6}) {
        SCOPED_TRACE(box->objectName().toStdString());
        for (Qt::CheckState expected : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
            input->clickCheckBox(box);
            EXPECT_EQ(box->checkState(), expected);
        }
    }
}

TEST_F(RealInput, DisplaysOnlyShowAndHiddenControlsTakeNoFocus)
{
    settle();
    ASSERT_EQ(form->quelA->text(), QStringLiteral("FM"));
    // A user clicks into the source display and types: the text stays,
    // and "fm" still knows FM is on.
    click(form->quelA);
    click(form->nameA);
    type('+');
    type('x');
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    const int mode = form->stationKeyMode.toInt();
    run(0.5);
    const double t0 = now();
    click(form->Quelle[1]);
    run(1.0);
    EXPECT_TRUE(sentFrom(t0).empty());  // the FM-again path: no code
    EXPECT_EQ(form->stationKeyMode.toInt(), mode % 3 + 1);

    // Tab walks only over what a user can see and use.
    click(form->Quelle[7]);
    run(0.2);
    input->focus(form->volR);
    std::set<QWidget *> reached;
    for (int i = 0; i < 60; ++i) {
        input->tab();
        reached.insert(input->focused());
    }
    for (QWidget *hidden : std::initializer_list<QWidget *>{form->Command1, form->Text1, form->Text2, form->quelA,
                                                              form->nameA, form->frequenzA, form->volA})
        EXPECT_EQ(reached.count(hidden), 0u) << hidden->objectName().toStdString();
    EXPECT_GT(reached.count(form->balR), 0u);
    EXPECT_GT(reached.count(form->Woche[2]), 0u);
    // Space wherever Tab led sends no status request.
    const double t1 = now();
    input->key(Qt::Key_Space);
    run(3.0);
    for (const auto &c : codeTexts(t1))
        EXPECT_NE(c, "0:7");
}

TEST_F(RealInput, WheelAndArrowKeysSendOnceTheSliderRests)
{
    settle();
    // Two notches in quick succession: one action, sent after the rest.
    double t0 = now();
    input->wheel(form->volR);
    run(0.1);
    input->wheel(form->volR);
    const int target = form->volR->value();
    ASSERT_GT(target, 40);
    run(0.25);
    EXPECT_TRUE(sentFrom(t0).empty());  // still turning
    run(3.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>(size_t(target - 40 + 1), "0<3"));
    EXPECT_EQ(form->volumeLevel.toInt(), target);
    EXPECT_EQ(form->volA->text(), QString::number(target));

    // Arrow keys on the focused balance slider.
    input->focus(form->balR);
    t0 = now();
    input->key(Qt::Key_Right);
    run(0.1);
    input->key(Qt::Key_Right);
    run(2.0);
    EXPECT_EQ(form->balR->value(), 2);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>(3, "0;:"));

    // A drag whose button comes up while a status exchange runs: no code
    // went out for it, so the slider goes back.
    const QPoint from = UserInput::handleCentre(form->bassR);
    input->press(form->bassR, from);
    input->move(form->bassR, from + QPoint(20, 0));
    input->move(form->bassR, from + QPoint(40, 0));
    ASSERT_GT(form->bassR->value(), 0);
    form->requestStatus();
    t0 = now();
    input->release(form->bassR, from + QPoint(40, 0));
    EXPECT_EQ(form->bassR->value(), 0);
    run(4.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{});
    EXPECT_EQ(form->bassA->text(), QStringLiteral("000"));
}

TEST_F(RealInput, LongNamesFitTheirKeysAndSmallKeysAreEasyToHit)
{
    device.state().volume = 40;
    startAndSettle();
    // Name mode shows the sample data's longest names on the keys.
    click(form->Quelle[1]);
    run(0.5);
    while (form->stationKeyMode.toInt() != 2) {
        click(form->Quelle[1]);
        run(0.5);
    }
    KeyLabel *longest = nullptr;
    for (int i = 1; i <= 30; ++i)
        if (form->stationT[i]->text() == QStringLiteral("SWR1 Baden-Württemberg"))
            longest = form->stationT[i];
    ASSERT_NE(longest, nullptr);
    // The caption keeps its beginning and stays off the key's edges.
    const auto [first, last] = inkColumns(longest, longest->face(), longest->backColor());
    EXPECT_GT(first, longest->face().left());
    EXPECT_LT(last, longest->face().right());
    EXPECT_EQ(longest->toolTip(), longest->text());

    click(longest);
    run(6.0);
    ASSERT_EQ(form->nameA->text(), QStringLiteral("SWR1 Baden-Württemberg"));
    const auto [nameFirst, nameLast] = inkColumns(form->nameA, form->nameA->rect(), QColor(0, 0, 0));
    EXPECT_GT(nameFirst, 0);
    EXPECT_LT(nameLast, form->nameA->width() - 1);

    // The tiny step keys take a click beside their face, in their row.
    const QRect face = form->progplusK->face();
    const QPoint beside(face.right() + 2, face.center().y());
    ASSERT_FALSE(face.contains(beside));
    const double t0 = now();
    input->click(form->progplusK, beside);
    run(1.0);
    EXPECT_EQ(sentFrom(t0).front(), "097");
    run(4.0);

    // So does the shrink arrow, just left of the glyph.
    const QRect arrow = form->verkleinern->face();
    input->click(form->verkleinern, QPoint(arrow.left() - 2, arrow.center().y()));
    EXPECT_EQ(form->largeWindow.toInt(), 0);
}
