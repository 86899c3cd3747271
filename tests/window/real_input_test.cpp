// The window as a user drives it: keys typed wherever the focus is, double
// clicks, the wheel and the arrow keys on a slider, check boxes, displays
// that only show, captions that fit. All input takes the window system's
// path (tests/support/user_input.h).

#include "amp_fixture.h"
#include "desktop/port_choice.h"
#include "desktop/settings.h"
#include "ui/widgets.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QFontInfo>
#include <QImage>
#include <QLabel>

#include <cmath>

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

    // With FM shown, "fm" steps the station keys through their three
    // captions; names are the second.
    void showStationNames()
    {
        for (int i = 0; i < 3 && form->stationKeyMode.toInt() != 2; ++i) {
            click(form->Quelle[1]);
            run(0.5);
        }
        ASSERT_EQ(form->stationKeyMode.toInt(), 2);
    }
};

}  // namespace

TEST_F(RealInput, PlusAndMinusSendOneCodeWhereverTheFocusIs)
{
    settle();
    ASSERT_EQ(input->focused(), form->Quelle[0]);  // where the window starts the focus
    click(form->Quelle[1]);  // fm: the station keys show
    run(1.0);
    const std::vector<QWidget *> targets = {form->Quelle[0], form->volR, form->balA, form->stationT[5], form->Woche[0]};
    const int weekday = form->Woche[0]->currentIndex();
    for (QWidget *target : targets) {
        if (target == form->Woche[0]) {
            click(form->Quelle[7]);  // "config" sends nothing; it shows the timer rows
            run(0.2);
        }
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
    for (QWidget *hidden : std::initializer_list<QWidget *>{form->Command1, form->Text1, form->Text2, form->volA})
        EXPECT_EQ(reached.count(hidden), 0u) << hidden->objectName().toStdString();
    // The source display is read from the keyboard as well.
    EXPECT_GT(reached.count(form->quelA), 0u);
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
    ASSERT_NO_FATAL_FAILURE(showStationNames());
    KeyLabel *longest = nullptr;
    for (int i = 1; i <= 30; ++i)
        if (form->stationT[i]->text() == QStringLiteral("SWR1 Baden-Württemberg"))
            longest = form->stationT[i];
    ASSERT_NE(longest, nullptr);
    // The caption keeps its beginning and stays off the key's edges.
    // (Inside the one-pixel edge a dark key wears on the dark window.)
    const QRect inside = longest->face().adjusted(1, 1, -1, -1);
    const auto [first, last] = inkColumns(longest, inside, longest->backColor());
    EXPECT_GT(first, inside.left());
    EXPECT_LT(last, inside.right());
    EXPECT_EQ(longest->toolTip(), longest->text());
    // Names that share their beginning still differ on their keys.
    QImage kultur, mw;
    for (int i = 1; i <= 30; ++i) {
        KeyLabel *k = form->stationT[i];
        if (k->text() == QStringLiteral("Deutschlandfunk Kultur"))
            kultur = k->grab().toImage();
        if (k->text() == QStringLiteral("Deutschlandfunk MW"))
            mw = k->grab().toImage();
    }
    ASSERT_FALSE(kultur.isNull());
    ASSERT_FALSE(mw.isNull());
    EXPECT_NE(kultur, mw);

    click(longest);
    run(6.0);
    ASSERT_EQ(form->nameA->text(), QStringLiteral("SWR1 Baden-Württemberg"));
    const auto [nameFirst, nameLast] = inkColumns(form->nameA, form->nameA->rect(), QColor(0, 0, 0));
    EXPECT_GT(nameFirst, 0);
    EXPECT_LT(nameLast, form->nameA->width() - 1);

    // The tiny step keys take a click beside their face, in their row.
    const QRect face = form->progplusK->face();
    const QPoint beside(face.left() - 2, face.center().y());
    ASSERT_FALSE(face.contains(beside));
    const double t0 = now();
    input->click(form->progplusK, beside);
    run(1.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"097"});
    run(4.0);

    // So does the shrink arrow, just left of the glyph.
    const QRect arrow = form->verkleinern->face();
    input->click(form->verkleinern, QPoint(arrow.left() - 2, arrow.center().y()));
    EXPECT_EQ(form->largeWindow.toInt(), 0);
}

TEST_F(RealInput, WindowFollowsTheDesktopFontAndStaysOnTheScreen)
{
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPointSizeF(18);
    QApplication::setFont(large);
    startAndSettle();
    QApplication::setFont(desktop);
    // Larger than the design's 539 x 305 pixels, within the 800 x 600 screen.
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_GT(form->width(), 700);
    EXPECT_LE(form->width(), screen.width());
    EXPECT_LE(form->height() + 30, screen.height());
    EXPECT_GT(form->stationT[1]->height(), 14 * 1.4);
    EXPECT_GT(QFontInfo(form->stationT[1]->font()).pixelSize(), 9 * 1.4);
}

// ---- Without a mouse, and with a screen reader ------------------------------

TEST_F(RealInput, KeysAreButtonsToAssistiveTechnology)
{
    settle();
    for (KeyLabel *k : form->findChildren<KeyLabel *>()) {
        if (!k->isVisible())
            continue;
        SCOPED_TRACE(k->objectName().toStdString());
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(k);
        ASSERT_NE(a, nullptr);
        // A key whose colour is its state is a check box: its state is spoken.
        EXPECT_EQ(a->role(), k->isCheckable() ? QAccessible::CheckBox : QAccessible::Button);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
        EXPECT_TRUE(a->state().focusable);
        ASSERT_NE(a->actionInterface(), nullptr);
        EXPECT_TRUE(a->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
    // The lit source key reads as checked; its colour is not the only sign.
    QAccessibleInterface *fm = QAccessible::queryAccessibleInterface(form->Quelle[1]);
    QAccessibleInterface *cd = QAccessible::queryAccessibleInterface(form->Quelle[6]);
    EXPECT_TRUE(fm->state().checkable && fm->state().checked);
    EXPECT_FALSE(cd->state().checked);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->hblendK)->role(), QAccessible::CheckBox);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->TestMemory)->role(), QAccessible::Button);

    // The window is the frame, its panels are panels; the hidden
    // diagnostics are not there at all.
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(form.get());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Frame3)->role(), QAccessible::Pane);
    QList<QObject *> children;
    for (int i = 0; i < window->childCount(); ++i)
        children << window->child(i)->object();
    EXPECT_TRUE(children.contains(form->Frame3));
    for (QObject *hidden : std::initializer_list<QObject *>{form->Command1, form->Text1, form->Text2})
        EXPECT_FALSE(children.contains(hidden)) << hidden->objectName().toStdString();
    EXPECT_EQ(window->indexOfChild(QAccessible::queryAccessibleInterface(form->Frame3)),
              children.indexOf(form->Frame3));

    // A read-out that is a key is named by its level and value; a list
    // has its entry as text, where screen readers read it.
    QAccessibleInterface *balance = QAccessible::queryAccessibleInterface(form->balA);
    EXPECT_EQ(balance->role(), QAccessible::Button);
    EXPECT_EQ(balance->text(QAccessible::Name), QStringLiteral("Balance 0"));
    QAccessibleInterface *day = QAccessible::queryAccessibleInterface(form->Woche[1]);
    ASSERT_NE(day->textInterface(), nullptr);
    EXPECT_EQ(day->textInterface()->text(0, day->textInterface()->characterCount()), form->Woche[1]->currentText());
    EXPECT_FALSE(form->Woche[1]->currentText().isEmpty());

    // A press through assistive technology: the key's handler, once.
    double t0 = now();
    cd->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    run(0.5);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<>"});
    EXPECT_TRUE(cd->state().checked);
    EXPECT_FALSE(fm->state().checked);

    // Not while the window is busy, as for a click.
    QAccessibleInterface *mute = QAccessible::queryAccessibleInterface(form->muteK);
    form->requestStatus();
    t0 = now();
    mute->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    run(3.5);
    for (const auto &c : sentFrom(t0))
        EXPECT_NE(c, "0<5");

    // Names that say what a control is, in the window's language and in
    // words, not the device's abbreviations; station keys by their station
    // and number.
    const std::pair<QWidget *, QString> named[] = {
        {form->volR, QStringLiteral("Lautstärke")},
        {form->Woche[1], QStringLiteral("Schaltuhr Zeile 2, Tag")},
        {form->Ausweichsender, QStringLiteral("Ausweichsender für Werbung")},
        {form->ls1K, QStringLiteral("Lautsprecher 1")},
        {form->herz, QStringLiteral("20-Hz-Filter")},
        {form->Quelle[8], QStringLiteral("Aus")},
        {form->bassA, QStringLiteral("Bass 0")},
        {form->verkleinern, QStringLiteral("Fenster verkleinern")},
    };
    for (const auto &[control, name] : named)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);
    // A German caption that names one control labels it; the English level
    // captions do not, or a screen reader would speak them for the sliders.
    const auto labels = QAccessible::queryAccessibleInterface(form->Ausweichsender)->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), QStringLiteral("Ausweich- sender für Werbung"));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(form->volR)->relations(QAccessible::Label).isEmpty());
    click(form->Quelle[1]);
    run(1.0);
    ASSERT_NO_FATAL_FAILURE(showStationNames());
    QStringList names;
    for (int i = 1; i <= 30; ++i)
        names << QAccessible::queryAccessibleInterface(form->stationT[i])->text(QAccessible::Name);
    EXPECT_TRUE(names.filter(QRegularExpression(QStringLiteral("^SWR1 Baden-Württemberg, Taste \\d+$"))).size() == 1)
        << names.join(QLatin1String("; ")).toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("Stationstaste 1, kein Sender")));  // empty slots sort first
    // Their frequency as it is said, not as the caption reads.
    QStringList descriptions;
    for (int i = 1; i <= 30; ++i)
        descriptions << QAccessible::queryAccessibleInterface(form->stationT[i])->text(QAccessible::Description);
    EXPECT_TRUE(descriptions.contains(QStringLiteral("100,80 MHz")));
    EXPECT_TRUE(descriptions.contains(QStringLiteral("1440 kHz")));

    // The station display reads what the device now plays.
    device.state().fm = sim::Station{sim::Band::Fm, 10080};
    form->requestStatus();
    run(3.5);
    QAccessibleInterface *station = QAccessible::queryAccessibleInterface(form->nameA);
    EXPECT_EQ(station->text(QAccessible::Name), QStringLiteral("Sender"));
    ASSERT_NE(station->textInterface(), nullptr);
    EXPECT_EQ(station->textInterface()->text(0, station->textInterface()->characterCount()),
              QStringLiteral("SWR1 Baden-Württemberg"));
}

TEST_F(RealInput, ReadOutsAndListsSayTheirNewValue)
{
    settle();
    device.state().balance = -6;
    form->requestStatus();
    run(3.5);
    // Space on the balance read-out: the new value is said, not only the key.
    input->focus(form->balA);
    input->key(Qt::Key_Space);
    run(0.5);
    EXPECT_TRUE(form->busyNotice->isVisible());
    EXPECT_EQ(form->busyNotice->accessibleName(), QStringLiteral("Balance 0"));

    // After End a screen reader reads what stands at the cursor by the
    // character: the whole entry, not the "3" of "23".
    click(form->Quelle[7]);
    input->focus(form->stunde[0]);
    input->key(Qt::Key_End);
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(form->stunde[0])->textInterface();
    ASSERT_NE(text, nullptr);
    int start = 0, end = 0;
    EXPECT_EQ(text->textAtOffset(text->cursorPosition(), QAccessible::CharBoundary, &start, &end),
              QStringLiteral("23"));
}

TEST_F(RealInput, ArrowKeysAreNamedByWhatTheyDo)
{
    settle();  // on FM
    auto names = [&] {
        QStringList l;
        for (KeyLabel *k : form->findChildren<KeyLabel *>())
            if (k->text().contains(QLatin1String("<<")) || k->text().contains(QLatin1String(">>")))
                l << k->objectName() + QLatin1Char('=') + QAccessible::queryAccessibleInterface(k)->text(QAccessible::Name);
        l.sort();
        return l.join(QLatin1String(", ")).toStdString();
    };
    const QStringList others = {
        QStringLiteral("Label19=CD Titel zurück"),  QStringLiteral("Label2=CD Titel vor"),
        QStringLiteral("Label20=CD zurück"),       QStringLiteral("Label22=Plattenspieler zurück"),
        QStringLiteral("Label25=CD vor"),    QStringLiteral("Label27=Plattenspieler vor"),
        QStringLiteral("Label3=Kassette vorspulen"), QStringLiteral("Label8=Kassette zurückspulen"),
        QStringLiteral("lbassminus=Tiefbass weniger"), QStringLiteral("lbassplus=Tiefbass mehr"),
        QStringLiteral("progminusK=Programm zurück"),   QStringLiteral("progplusK=Programm vor")};
    auto expected = [&](const char *band) {
        QStringList l = others;
        l << QStringLiteral("autominusK=%1-Suchlauf zurück").arg(QLatin1String(band))
          << QStringLiteral("autoplusK=%1-Suchlauf vor").arg(QLatin1String(band));
        l.sort();
        return l.join(QLatin1String(", ")).toStdString();
    };
    EXPECT_EQ(names(), expected("FM"));
    click(form->Quelle[2]);  // am; the band change asks for a new dump
    run(4.0);
    EXPECT_EQ(names(), expected("AM"));
    click(form->Quelle[1]);
    run(4.0);
    EXPECT_EQ(names(), expected("FM"));
}

TEST_F(RealInput, TabSpaceAndEnterDriveTheKeys)
{
    settle();
    ASSERT_EQ(input->focused(), form->Quelle[0]);
    // The focus frame shows from the start, before any key is pressed.
    EXPECT_TRUE(showsFocus(form->Quelle[0]));
    // Source keys top to bottom, then the level controls and function keys.
    std::vector<QWidget *> stops;
    for (int i = 0; i < 18; ++i) {
        input->tab();
        stops.push_back(input->focused());
    }
    const std::vector<QWidget *> expected = {
        form->Quelle[1], form->Quelle[2], form->Quelle[3], form->Quelle[4], form->Quelle[5], form->Quelle[6],
        form->Quelle[7], form->Quelle[8], form->volR,      form->balR,      form->balA,      form->bassR,
        form->bassA,     form->trebR,     form->trebA,     form->muteK,     form->loudnK,    form->eqK};
    EXPECT_EQ(stops, expected);
    EXPECT_TRUE(showsFocus(form->eqK));
    // The displays, then the station keys.
    for (QWidget *display : std::initializer_list<QWidget *>{form->quelA, form->nameA, form->frequenzA}) {
        input->tab();
        EXPECT_EQ(input->focused(), display);
    }
    input->tab();
    EXPECT_EQ(input->focused(), form->stationT[1]);  // FM shows: the station keys row by row
    input->tab();
    EXPECT_EQ(input->focused(), form->stationT[2]);
    // Below the station keys, the lower panel's upper row comes first.
    input->focus(form->stationT[30]);
    input->tab();
    EXPECT_EQ(input->focused(), form->hblendK);
    input->tab();
    EXPECT_EQ(input->focused(), form->autominusK);

    // In the config view the port list, at the top right beside the source
    // display, comes between the amplifier panel and the keys below it.
    desktop::Settings settings(dir.path());
    QWidget *ports = desktop::addPortChoice(form->door(), settings, world->platform, form->portPlace());
    click(form->Quelle[7]);
    input->focus(form->eqK);
    input->tab();
    EXPECT_EQ(input->focused(), form->quelA);
    input->tab();
    EXPECT_EQ(input->focused(), ports);
    input->tab();
    EXPECT_EQ(input->focused(), form->copy);

    // Tab to "cd", Space; Tab on to "start", Enter.
    input->focus(form->Quelle[5]);
    input->tab();
    ASSERT_EQ(input->focused(), form->Quelle[6]);
    double t0 = now();
    input->key(Qt::Key_Space);
    run(0.5);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0<>"});
    int tabs = 0;
    while (input->focused() != form->transportKeys[10] && tabs++ < 40)
        input->tab();
    ASSERT_EQ(input->focused(), form->transportKeys[10]);  // CD "start": hidden keys were skipped
    t0 = now();
    input->key(Qt::Key_Return);
    run(1.0);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"026"});

    // Space on a centre key sets its level to the middle.
    input->focus(form->balA);
    t0 = now();
    input->key(Qt::Key_Space);
    run(0.5);
    EXPECT_EQ(sentFrom(t0), std::vector<std::string>{"0;9"});
}

TEST_F(RealInput, TabStaysWithinTheSmallWindow)
{
    settle();  // FM: the station keys show
    auto seen = [&](QWidget *w) {
        return w && form->rect().intersects(QRect(w->mapTo(form.get(), QPoint(0, 0)), w->size()));
    };
    input->focus(form->stationT[5]);
    click(form->verkleinern);
    ASSERT_EQ(form->width(), 235);
    EXPECT_TRUE(seen(input->focused()));  // the focus left the key that went out of sight
    for (QWidget *source : {form->Quelle[6], form->Quelle[3], form->Quelle[1]}) {
        click(source);
        run(1.0);
        ASSERT_EQ(form->width(), 235);
        SCOPED_TRACE(form->quelA->text().toStdString());
        for (int i = 0; i < 70; ++i) {
            input->tab();
            ASSERT_TRUE(seen(input->focused())) << input->focused()->objectName().toStdString();
        }
    }

    // Large again: Tab reaches the station keys as before.
    click(form->vergroessern);
    bool station = false;
    for (int i = 0; i < 70 && !station; ++i) {
        input->tab();
        station = input->focused()->objectName() == QLatin1String("stationT");
    }
    EXPECT_TRUE(station);
}

TEST_F(RealInput, MediaKeysAndControlQ)
{
    settle();
    const double t0 = now();
    input->key(Qt::Key_VolumeUp);
    input->key(Qt::Key_VolumeDown);
    input->key(Qt::Key_VolumeMute);
    run(0.5);
    EXPECT_EQ(sentFrom(t0), (std::vector<std::string>{"0<3", "0<4", "0<5"}));
    EXPECT_EQ(form->muteK->backColor(), colours::green);

    // The media keys drive the player that is the source.
    click(form->Quelle[6]);
    run(0.5);
    const double t1 = now();
    input->key(Qt::Key_MediaPlay);
    input->key(Qt::Key_MediaNext);
    input->key(Qt::Key_MediaStop);
    // One after the other, each with its key's 0.3 s flash.
    run(1.5);
    EXPECT_EQ(sentFrom(t1), (std::vector<std::string>{"026", "02:", "024"}));

    // Ctrl+Q closes the window as the close box does: the files are saved.
    click(form->verkleinern);
    input->key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readFile("config.dat").split(',').value(11), "0");  // the small window was saved
}

TEST_F(RealInput, CaptionsReadAgainstTheirBackground)
{
    settle();
    // Lit keys keep the face colour that is their state; their captions are
    // painted to read on it: lighter than the green of "mute", darker than
    // the red of "Werbung".
    auto inkAgainstFace = [](KeyLabel *k) {
        const QImage img = k->grab().toImage();
        const QColor face = k->backColor();
        int lighter = 0, darker = 0;
        for (int x = k->face().left(); x <= k->face().right(); ++x)
            for (int y = k->face().top(); y <= k->face().bottom(); ++y) {
                const QColor c(img.pixel(x, y));
                const int d = c.red() + c.green() + c.blue() - face.red() - face.green() - face.blue();
                lighter += d > 0;
                darker += d < 0;
            }
        return std::pair{lighter, darker};
    };
    click(form->muteK);
    run(0.5);
    ASSERT_EQ(form->muteK->backColor(), QColor(0, 128, 0));
    const auto [muteLighter, muteDarker] = inkAgainstFace(form->muteK);
    EXPECT_GT(muteLighter, 0);
    EXPECT_EQ(muteDarker, 0);
    form->Ausweichsender->setCurrentIndex(2);  // a fallback slot, as the config view sets it
    click(form->Werbeauto);
    run(6.0);
    ASSERT_EQ(form->Werbeauto->backColor(), QColor(255, 0, 0));
    const auto [adLighter, adDarker] = inkAgainstFace(form->Werbeauto);
    EXPECT_EQ(adLighter, 0);
    EXPECT_GT(adDarker, 0);

    click(form->Quelle[7]);
    auto luminance = [](const QColor &c) {
        auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    auto contrast = [&](const QColor &a, const QColor &b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    // A state shows at 3:1 or more where the face colour must stay: a lit
    // silver key wears a black frame against the white of an unlit one, and
    // a dark key an edge against the dark window.
    auto edgePixel = [](KeyLabel *k) { return QColor(k->grab().toImage().pixel(k->face().topLeft() + QPoint(1, 1))); };
    click(form->Quelle[1]);
    run(4.0);
    const QColor eqOff = edgePixel(form->eqK);
    click(form->eqK);
    run(1.0);
    ASSERT_EQ(form->eqK->backColor(), QColor(192, 192, 192));
    EXPECT_GE(contrast(edgePixel(form->eqK), eqOff), 3.0);
    const QColor windowBack(40, 40, 40);
    EXPECT_GE(contrast(QColor(form->Quelle[2]->grab().toImage().pixel(form->Quelle[2]->face().topLeft())), windowBack),
              3.0);
    // Sliders and lists, which draw no frame that can be seen, wear a ring.
    input->focus(form->volR);
    const QImage window = form->grab().toImage();
    const QPoint left = form->volR->mapTo(form.get(), QPoint(-2, form->volR->height() / 2));
    EXPECT_GE(contrast(QColor(window.pixel(left)), windowBack), 3.0);
    click(form->Quelle[7]);

    // Captions on the window: their colours are ours to choose. "Daten-
    // aus- tausch" shows only during an exchange, and counts all the same.
    for (QLabel *l : form->findChildren<QLabel *>()) {
        if ((!l->isVisible() && l != form->warten) || l->text().isEmpty())
            continue;
        SCOPED_TRACE(l->text().toStdString());
        const QColor fore = l->palette().color(QPalette::WindowText);
        const QColor back = l->autoFillBackground() ? l->palette().color(QPalette::Window)
                                                    : form->palette().color(QPalette::Window);
        EXPECT_GE(contrast(fore, back), 4.5);
    }
}
