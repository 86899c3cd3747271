#include "ui/form1.h"

#include "model/remote_names.h"
#include "players/transport_keys.h"
#include "ui/layout.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

using ui::place;

namespace {

const QColor kWindowBack(40, 40, 40);
// Characters of a dump follow each other every 33 ms; an answer with no
// character for this long has stopped short, however late it began.
constexpr int kDumpWatchMs = 1000;
// A slider moved by wheel or keyboard counts as set once it rests this long.
constexpr int kSliderRestMs = 300;
// Changes that come together (a source and its station) are said together.
constexpr int kNewsMs = 150;

QFrame *makePanel(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::NoFrame);
    place(f, left, top, width, height);
    return f;
}

// Colours by palette, in every colour group, so that a disabled window
// paints nothing grey. No style sheet: one would bring the style sheet
// machinery into the whole window.
void setTextColour(QWidget *w, const QColor &text, const QColor &back = QColor())
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    if (back.isValid()) {
        pal.setColor(QPalette::Window, back);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

QLabel *makeCaption(QWidget *parent, const QString &text, int left, int top, int width, int height,
                    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(align);
    setTextColour(l, Qt::white);
    place(l, left, top, width, height);
    return l;
}

KeyLabel *makeKey(QWidget *parent, const char *name, const QString &caption, int left, int top,
                  int width, int height, QColor back = colours::black, QColor fore = colours::white)
{
    auto *k = new KeyLabel(caption, parent, back, fore);
    k->setObjectName(QLatin1String(name));
    place(k, left, top, width, height);
    return k;
}

KeyLabel *makeWhiteKey(QWidget *parent, const char *name, const QString &caption, int left, int top,
                       int width, int height)
{
    return makeKey(parent, name, caption, left, top, width, height, colours::white, colours::black);
}

// Lets a small key take clicks over a larger area (twips, in its parent)
// while its face stays where the design draws it.
void widenHitArea(KeyLabel *k, int left, int top, int right, int bottom)
{
    const QRect face = k->geometry();
    const QRect area = QRect(QPoint(ui::at(left), ui::at(top)), QPoint(ui::at(right) - 1, ui::at(bottom) - 1))
                           .united(face);
    k->setGeometry(area);
    k->setFace(face.translated(-area.topLeft()));
}

QComboBox *makeList(QWidget *parent, const QStringList &entries, int left, int top, int width)
{
    auto *c = new ChoiceBox(parent);
    c->addItems(entries);
    c->setCurrentIndex(-1);
    place(c, left, top, width, 300);
    return c;
}

// A small picture for the amplifier panel: the maker's badge. Drawn when
// it is painted, so that the start does not wait for the fonts before the
// window can be shown.
class Badge : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(90, 90, 90));
        g.setColorAt(1, QColor(20, 20, 20));
        p.fillRect(rect(), g);
        p.setPen(QColor(220, 200, 120));
        QFont f = p.font();
        f.setPixelSize(std::max(7, height() - 4));
        f.setBold(true);
        p.setFont(f);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("SONVERA"));
    }
};

}  // namespace

namespace ui {

namespace {
double g_zoom = 1.0;
}  // namespace

double zoom() { return g_zoom; }
void setZoom(double z) { g_zoom = z; }

double zoomFor(const QFont &desktopFont, const QSize &room)
{
    // The design's captions suit a desktop font of 10 points; a larger one
    // is a user who needs larger text, and the whole window grows with it.
    constexpr double kDesignPoints = 10.0;
    const double points = desktopFont.pointSizeF();
    double z = points > kDesignPoints ? points / kDesignPoints : 1.0;
    // The window and its title bar must stay on the screen.
    constexpr int kTitleTwips = 450;
    if (room.isValid() && !room.isEmpty()) {
        const double wide = double(room.width()) * kTwipsPerPixel / kLargeOuterWidth;
        const double high = double(room.height()) * kTwipsPerPixel / (kClientHeight + kTitleTwips);
        z = std::min({z, wide, high});
    }
    return std::max(z, 0.5);
}

QStringList weekdayEntries()
{
    return {Form1::tr("NIE"),        Form1::tr("TÄGLICH"),  Form1::tr("Sonntag"),
            Form1::tr("Montag"),     Form1::tr("Dienstag"), Form1::tr("Mittwoch"),
            Form1::tr("Donnerstag"), Form1::tr("Freitag"),  Form1::tr("Samstag")};
}

QStringList hourEntries()
{
    QStringList l;
    for (int h = 0; h <= 23; ++h)
        if (h != 22)  // the list has never had 22 o'clock
            l << QStringLiteral("%1").arg(h, 2, 10, QLatin1Char(' '));
    return l;
}

QStringList minuteEntries()
{
    QStringList l;
    for (int m = 0; m <= 59; ++m) {
        if (m == 22)
            continue;
        QString e = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
        if (m == 25)
            e += QLatin1Char(' ');  // the entry has always carried a trailing blank
        l << e;
    }
    return l;
}

QStringList slotEntries()
{
    QStringList l;
    for (int s = 1; s <= 30; ++s)
        if (s != 22)
            l << QStringLiteral("%1").arg(s, 2, 10, QLatin1Char(' '));
    return l;
}

}  // namespace ui

Form1::Form1(platform::Platform &platform, QWidget *parent)
    : QWidget(parent), plat(platform), MSComm1(*platform.serial)
{
    // The window is a frame to assistive technology, with what can be
    // seen as its children.
    static const bool windowFactory = [] {
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            return className == QLatin1String("Form1") && object && object->isWidgetType()
                       ? windowAccessible(static_cast<QWidget *>(object))
                       : nullptr;
        });
        return true;
    }();
    Q_UNUSED(windowFactory);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Ondal Pelora"));
    // The window follows the desktop's font size.
    const QScreen *screen = QGuiApplication::primaryScreen();
    ui::setZoom(ui::zoomFor(QApplication::font(), screen ? screen->availableGeometry().size() : QSize()));
    buildWindow();
    buildTimers();
    door_ = std::make_unique<model::Door>(*this);
    connectHandlers();
    connectModel();
    qApp->installEventFilter(this);
}

Form1::~Form1()
{
    qApp->removeEventFilter(this);
    MSComm1.onComm = nullptr;
}

void Form1::buildWindow()
{
    QFont f = font();
    f.setFamily(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(ui::fontPx(9));
    setFont(f);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBack);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    // Fixed height; the width is set by the size handlers.
    setFixedSize(ui::px(ui::kClientWidth), ui::px(ui::kClientHeight));

    static const char *const captions[9] = {"tv", "fm", "am", "tape 1", "tape 2", "phono", "cd", "config", "off"};
    static const int tops[9] = {345, 690, 1050, 1395, 1740, 2085, 2430, 2940, 3270};
    for (int i = 0; i < 9; ++i) {
        Quelle[i] = makeKey(this, "Quelle", QString::fromLatin1(captions[i]), 225, tops[i], 840, 210);
        Quelle[i]->setProperty("index", i);
    }

    warten = new QLabel(tr("Daten- aus- tausch"), this);
    warten->setObjectName(QStringLiteral("warten"));
    warten->setWordWrap(true);
    warten->setAlignment(Qt::AlignCenter);
    // A darker red than the keys' red: pure red on white is too faint to read.
    setTextColour(warten, QColor(200, 0, 0), QColor(255, 255, 255));
    place(warten, 225, 3885, 840, 555);
    warten->hide();
    busyNotice = new Notice(this);
    place(busyNotice, 225, 3885, 840, 555);

    // Arrow glyphs that every font has, pointing in opposite directions.
    vergroessern = makeKey(this, "vergroessern", QStringLiteral("\u25B6"), 3375, 3450, 165, 300, kWindowBack);
    verkleinern = makeKey(this, "verkleinern", QStringLiteral("\u25C0"), 3390, 3450, 165, 300, kWindowBack);
    // Drawn at their design place, as large as it allows, and easy to hit
    // in the free corner around it.
    for (KeyLabel *k : {vergroessern, verkleinern}) {
        QFont f = k->font();
        f.setPixelSize(ui::fontPx(14));
        k->setFont(f);
        widenHitArea(k, 3330, 3300, 3525, 3720);
    }

    Label40 = new QLabel(this);
    Label40->setObjectName(QStringLiteral("Label40"));
    place(Label40, 4110, 180, 60, 30);

    progressA = new ProgressLine(this);
    progressA->setAlignment(Qt::AlignCenter);
    place(progressA, 3855, 60, 3915, 300);
    progressA->setObjectName(QStringLiteral("progressA"));
    setTextColour(progressA, QColor(0xff, 0xd0, 0x60));
    progressA->hide();

    buildAmplifierPanel();
    buildDisplays();
    buildTunerPanels();
    buildConfigPanels();
    buildPlayerPanels();
    buildHiddenControls();

    vergroessern->raise();
    verkleinern->raise();
    focusRing = new FocusRing(this);
    QObject::connect(qApp, &QApplication::focusChanged, focusRing,
                     [this](QWidget *, QWidget *now) { focusRing->follow(now); });
    describeForAssistiveTechnology();
    buildTabOrder();
    vergroessern_Click();
}

void Form1::buildAmplifierPanel()
{
    Frame3 = makePanel(this, "Frame3", 1170, -30, 2310, 3510);

    Picture1 = new Badge(Frame3);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    place(Picture1, 1080, 120, 1095, 210);

    struct Row {
        const char *caption;
        LevelSlider **slider;
        TextBox **readOut;
        QLabel **label;
        int min, max, value;
    };
    const Row rows[4] = {
        {"volume", &volR, &volA, &LabelVolume, 1, 81, 40},
        {"balance", &balR, &balA, &LabelBalance, -80, 80, 5},
        {"bass", &bassR, &bassA, &Label1, -5, 5, 0},
        {"treble", &trebR, &trebA, &Label16, -5, 5, 0},
    };
    static const char *const sliderNames[4] = {"volR", "balR", "bassR", "trebR"};
    static const char *const readOutNames[4] = {"volA", "balA", "bassA", "trebA"};
    for (int r = 0; r < 4; ++r) {
        const int top = 420 + r * 690;
        *rows[r].label = makeCaption(Frame3, QString::fromLatin1(rows[r].caption), 120, top, 1200, 195);
        auto *s = new LevelSlider(rows[r].min, rows[r].max, rows[r].value, Frame3);
        s->setObjectName(QLatin1String(sliderNames[r]));
        place(s, 90, top + 195, 1560, 315);
        *rows[r].slider = s;
        // Balance, bass and treble read-outs are keys as well: a click sets the middle.
        auto *t = r == 0 ? new TextBox(QStringLiteral("0"), Frame3) : new ReadOutKey(QStringLiteral("0"), Frame3);
        t->setObjectName(QLatin1String(readOutNames[r]));
        t->setAlignment(Qt::AlignCenter);
        place(t, 1710, top + 225, 495, 255);
        *rows[r].readOut = t;
    }

    muteK = makeWhiteKey(Frame3, "muteK", QStringLiteral("mute"), 120, 3210, 600, 210);
    loudnK = makeWhiteKey(Frame3, "loudnK", QStringLiteral("loudn."), 840, 3210, 600, 210);
    eqK = makeWhiteKey(Frame3, "eqK", QStringLiteral("eq"), 1560, 3210, 600, 210);
}

void Form1::buildDisplays()
{
    const QColor displayGreen(0, 192, 0);
    Frame2 = makePanel(this, "Frame2", 3855, 420, 1935, 675);
    quelA = new TextBox(QString(), Frame2, colours::black, displayGreen);
    quelA->setObjectName(QStringLiteral("quelA"));
    quelA->setAlignment(Qt::AlignCenter);
    QFont big = quelA->font();
    big.setPixelSize(ui::fontPx(20));
    big.setBold(true);
    quelA->setFont(big);
    place(quelA, 60, 75, 1815, 540);

    Frame1 = makePanel(this, "Frame1", 5835, 420, 1935, 675);
    nameA = new TextBox(QString(), Frame1, colours::black, displayGreen);
    nameA->setObjectName(QStringLiteral("nameA"));
    nameA->setAlignment(Qt::AlignCenter);
    QFont name = nameA->font();
    name.setPixelSize(ui::fontPx(13));
    name.setBold(true);
    nameA->setFont(name);
    place(nameA, 60, 60, 1815, 330);
    frequenzA = new TextBox(QString(), Frame1, colours::black, displayGreen);
    frequenzA->setObjectName(QStringLiteral("frequenzA"));
    frequenzA->setAlignment(Qt::AlignCenter);
    place(frequenzA, 60, 390, 1815, 240);
}

void Form1::buildTunerPanels()
{
    tunerpanel1 = makePanel(this, "tunerpanel1", 3750, 1245, 4380, 2340);
    for (int i = 1; i <= 30; ++i) {
        int left, top;
        if (i <= 2) {
            left = i == 1 ? 105 : 1095;
            top = 120;
        } else {
            static const int lefts[4] = {105, 1095, 2085, 3075};
            left = lefts[(i - 3) % 4];
            top = 390 + ((i - 3) / 4) * 270;
        }
        const QString caption = i == 1 ? QStringLiteral("Radio Köln") : i == 2 ? QStringLiteral("WDR 2") : QStringLiteral("1");
        stationT[i] = makeKey(tunerpanel1, "stationT", caption, left, top, 945, 210);
        stationT[i]->setProperty("index", i);
        stationT[i]->setAlwaysTipCaption(true);
    }

    tunerpanel2 = makePanel(this, "tunerpanel2", 1170, 3735, 2250, 810);
    hblendK = makeWhiteKey(tunerpanel2, "hblendK", QStringLiteral("hblend"), 90, 75, 600, 210);
    Werbeauto = makeKey(tunerpanel2, "Werbeauto", tr("Werbung"), 90, 330, 600, 210);
    Label21 = makeCaption(tunerpanel2, QStringLiteral("auto tune"), 765, 75, 1260, 210, Qt::AlignCenter);
    Label23 = makeCaption(tunerpanel2, tr("programm"), 765, 330, 1260, 210, Qt::AlignCenter);
    // The step keys sit at their places in the row captions, grown from
    // 11 x 10 pixels into the free space of their row so that "<<" and
    // ">>" can be read, and taking clicks over the whole height of the row
    // out to its caption.
    autominusK = makeWhiteKey(tunerpanel2, "autominusK", QStringLiteral("<<"), 810, 90, 240, 180);
    autoplusK = makeWhiteKey(tunerpanel2, "autoplusK", QStringLiteral(">>"), 1770, 90, 240, 180);
    progminusK = makeWhiteKey(tunerpanel2, "progminusK", QStringLiteral("<<"), 810, 345, 240, 180);
    progplusK = makeWhiteKey(tunerpanel2, "progplusK", QStringLiteral(">>"), 1770, 345, 240, 180);
    widenHitArea(autominusK, 765, 75, 1065, 285);
    widenHitArea(autoplusK, 1725, 75, 2025, 285);
    widenHitArea(progminusK, 765, 330, 1065, 540);
    widenHitArea(progplusK, 1725, 330, 2025, 540);
    for (KeyLabel *k : {autominusK, autoplusK, progminusK, progplusK}) {
        QFont f = k->font();
        f.setPixelSize(ui::fontPx(9));
        f.setBold(true);
        k->setFont(f);
    }
}

void Form1::buildConfigPanels()
{
    // The station display's place, which the configuration view leaves
    // empty: the port list goes there, and below it the home network's state.
    portPanel = makePanel(this, "portPanel", 5895, 450, 1815, 795);
    configpanel1 = makePanel(this, "configpanel1", 3645, 1245, 4245, 2355);
    copy = makeWhiteKey(configpanel1, "copy", QStringLiteral("copy"), 105, 120, 600, 210);
    ls1K = makeWhiteKey(configpanel1, "ls1K", QStringLiteral("spk 1"), 765, 120, 600, 210);
    ls2K = makeWhiteKey(configpanel1, "ls2K", QStringLiteral("spk 2"), 1425, 120, 600, 210);
    herz = makeWhiteKey(configpanel1, "herz", QStringLiteral("20hz"), 2085, 120, 600, 210);
    monoK = makeWhiteKey(configpanel1, "monoK", QStringLiteral("mono"), 2745, 120, 600, 210);
    lbassK = makeCaption(configpanel1, QStringLiteral("low bass"), 3450, 60, 780, 195, Qt::AlignCenter);
    lbassminus = makeWhiteKey(configpanel1, "lbassminus", QStringLiteral("<<"), 3450, 285, 375, 210);
    lbassplus = makeWhiteKey(configpanel1, "lbassplus", QStringLiteral(">>"), 3855, 285, 375, 210);
    TestMemory = makeWhiteKey(configpanel1, "TestMemory", QStringLiteral("Test Display"), 105, 450, 1260, 210);

    Label37 = makeCaption(configpanel1, tr("Ausweich- sender für Werbung"), 2085, 420, 1275, 420);
    Label37->setWordWrap(true);
    Ausweichsender = makeList(configpanel1, ui::slotEntries(), 3420, 480, 720);
    Ausweichsender->setObjectName(QStringLiteral("Ausweichsender"));

    LabelTimerCaption = makeCaption(configpanel1, tr("Springt zeitabhängig auf Radiosender."), 105, 810, 4000, 210);
    LabelTimerHeads = makeCaption(configpanel1, tr("Tag                      Stunde        Minute          Sender"),
                                  105, 1065, 4000, 210);
    static const int rowTops[3] = {1320, 1635, 1950};
    for (int i = 0; i < 3; ++i) {
        Woche[i] = makeList(configpanel1, ui::weekdayEntries(), 105, rowTops[i], 1470);
        stunde[i] = makeList(configpanel1, ui::hourEntries(), 1665, rowTops[i], 690);
        minuten[i] = makeList(configpanel1, ui::minuteEntries(), 2445, rowTops[i], 690);
        sender[i] = makeList(configpanel1, ui::slotEntries(), 3225, rowTops[i], 690);
        Woche[i]->setObjectName(QStringLiteral("Woche"));
        stunde[i]->setObjectName(QStringLiteral("stunde"));
        minuten[i]->setObjectName(QStringLiteral("minuten"));
        sender[i]->setObjectName(QStringLiteral("sender"));
    }

    configpanel2 = makePanel(this, "configpanel2", 3780, 3840, 4245, 690);
    LabelDemoHeading = makeCaption(configpanel2, QStringLiteral("M7      N5(3)      W2    XV6(3)"), 105, 30, 2400, 210);
    static const int boxLefts[4] = {150, 735, 1365, 1800};
    QCheckBox **boxes[4] = {&demoM7, &demoN5, &demoW2, &demoXV6};
    static const char *const boxNames[4] = {"demoM7", "demoN5", "demoW2", "demoXV6"};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QCheckBox(configpanel2);
        b->setObjectName(QLatin1String(boxNames[i]));
        // A click ticks, a second click clears; the grey state is never a click away.
        b->setTristate(false);
        place(b, boxLefts[i], 270, 255, 255);
        *boxes[i] = b;
    }
    LabelDemoMark = makeCaption(configpanel2, QStringLiteral(">"), 2235, 270, 150, 210, Qt::AlignCenter);
    Demo = makeKey(configpanel2, "Demo", tr("Demo starten"), 2460, 270, 1560, 210);
    StationenEinlesen = makeKey(configpanel2, "StationenEinlesen", tr("Stationen einlesen"), 2460, 30, 1560, 210);

    configpanel3 = makePanel(this, "configpanel3", 1170, 3735, 2250, 810);
    LabelInfo =
        makeCaption(configpanel3, tr("Ondal Pelora 1.0\nFernbedienung für die Sonvera Anlage"), 90, 120, 2100, 480);
    LabelInfo->setWordWrap(true);
}

void Form1::buildPlayerPanels()
{
    tapepanel1 = makePanel(this, "tapepanel1", 3750, 3840, 4245, 600);
    tapepanel2 = makePanel(this, "tapepanel2", 1170, 3735, 2250, 720);
    cdpanel = makePanel(this, "cdpanel", 3750, 3840, 4245, 600);
    cdpanel2 = makePanel(this, "cdpanel2", 1170, 3735, 2250, 720);
    phonopanel = makePanel(this, "phonopanel", 3750, 3840, 4245, 600);

    for (const players::TransportKey &t : players::transportKeyTable) {
        QFrame *panel = nullptr;
        switch (t.panel) {
        case players::Panel::Tape1: panel = tapepanel1; break;
        case players::Panel::Tape2: panel = tapepanel2; break;
        case players::Panel::Cd: panel = cdpanel; break;
        case players::Panel::Cd2: panel = cdpanel2; break;
        case players::Panel::Phono: panel = phonopanel; break;
        }
        const bool extra = players::isExtraFunction(t.panel);
        KeyLabel *k = extra ? makeWhiteKey(panel, t.control, QString::fromUtf8(t.caption), t.left, t.top, 600, 210)
                            : makeKey(panel, t.control, QString::fromUtf8(t.caption), t.left, t.top, 945, 210);
        k->setProperty("index", int(transportKeys.size()));
        transportKeys.push_back(k);
    }

    // Every panel of the middle and lower rows starts hidden; the source
    // selection shows what belongs to the source.
    for (QFrame *p : {tunerpanel1, tunerpanel2, tapepanel1, tapepanel2, phonopanel, configpanel1,
                      configpanel2, configpanel3, cdpanel, cdpanel2, portPanel})
        p->hide();
}

void Form1::buildHiddenControls()
{
    // Diagnostics: placed below the window's visible area.
    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    // None of them can be seen, so none may take the focus.
    Command1->setFocusPolicy(Qt::NoFocus);
    place(Command1, 120, 6825, 1215, 375);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    place(Text1, 1500, 6825, 4500, 2400);
    // Nobody can see it down there; hidden, it is spared the layout work
    // of every received character.
    Text1->hide();
    Text1->setUndoRedoEnabled(false);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text2 = new QLineEdit(QStringLiteral("Text2"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFocusPolicy(Qt::NoFocus);
    place(Text2, 120, 7380, 1215, 285);
    LabelUnused = makeCaption(this, tr("umschaltung am fm bei Stationswechsel"), 120, 9345, 3500, 210);
    // Below the visible area they were never seen; hidden, they are not
    // offered to assistive technology either. Nothing reads them back.
    Command1->hide();
    Text2->hide();
    LabelUnused->hide();
    for (QWidget *w : std::initializer_list<QWidget *>{Command1, Text1, Text2, LabelUnused})
        w->setProperty("offTree", true);
}

void Form1::describeForAssistiveTechnology()
{
    // Keys whose colour is their on/off state.
    for (KeyLabel *k : Quelle)
        k->setOnColour(colours::green);
    for (int i = 1; i <= 30; ++i) {
        stationT[i]->setOnColour(colours::green);
        stationT[i]->setEmptyName(tr("Stationstaste %1, kein Sender").arg(i));
    }
    for (KeyLabel *k : {muteK, loudnK, ls1K, ls2K})
        k->setOnColour(colours::green);
    for (KeyLabel *k : {eqK, monoK, hblendK, herz, copy})
        k->setOnColour(colours::silver);
    Werbeauto->setOnColour(colours::red);

    // Every name in the window's language, in words a listener knows: the
    // captions are the device's abbreviations ("spk 1", "20hz"), which a
    // speech synthesizer spells out or mispronounces.
    // The source keys after Off, in the order of model::Source, then config and off.
    for (int i = 0; i < 7; ++i)
        Quelle[size_t(i)]->setAccessibleName(model::spokenSourceName(model::Source(i + 1)));
    Quelle[7]->setAccessibleName(tr("Einstellungen"));
    Quelle[8]->setAccessibleName(model::spokenSourceName(model::Source::Off));
    // The same words as the web remote's; the seek keys get theirs by band below.
    for (const model::RemoteKey &k : model::remoteKeys())
        if (KeyLabel *key = k.spoken ? findChild<KeyLabel *>(k.control) : nullptr)
            key->setAccessibleName(model::spokenName(k));
    copy->setAccessibleName(tr("Überspielen"));
    TestMemory->setAccessibleName(tr("Anzeige testen"));

    vergroessern->setAccessibleName(tr("Fenster vergrößern"));
    verkleinern->setAccessibleName(tr("Fenster verkleinern"));
    for (KeyLabel *k : {autominusK, autoplusK})
        k->setAccessibleDescription(tr("Suchlauf"));
    for (KeyLabel *k : {progminusK, progplusK})
        k->setAccessibleDescription(tr("programm"));
    for (KeyLabel *k : {lbassminus, lbassplus})
        k->setAccessibleDescription(tr("Tiefbass"));
    // Keys captioned "<<" and ">>" are named by what they do.
    nameTunerStepKeys();
    lbassminus->setAccessibleName(tr("Tiefbass weniger"));
    lbassplus->setAccessibleName(tr("Tiefbass mehr"));
    for (KeyLabel *k : transportKeys)
        for (const players::TransportKey &t : players::transportKeyTable)
            if (k->objectName() == QLatin1String(t.control))
                k->setAccessibleName(players::spokenName(t));
    for (KeyLabel *k : transportKeys)
        k->setAccessibleDescription(k->parentWidget() == cdpanel || k->parentWidget() == cdpanel2 ? tr("CD")
                                    : k->parentWidget() == phonopanel ? tr("Plattenspieler")
                                                                      : tr("Kassette"));

    const QString levels[4] = {tr("Lautstärke"), tr("Balance"), tr("Bass"), tr("Höhen")};
    const std::array<TextBox *, 4> readOuts{volA, balA, bassA, trebA};
    for (int i = 0; i < 4; ++i) {
        levelSliders()[size_t(i)]->setAccessibleName(levels[i]);
        readOuts[size_t(i)]->setAccessibleName(levels[i]);
    }
    for (TextBox *t : {balA, bassA, trebA})
        t->setAccessibleDescription(tr("Leertaste oder Klick stellt auf die Mitte"));
    // The displays can be reached and read from the keyboard; being read
    // only, a typed character still never lands in them.
    for (TextBox *t : {quelA, nameA, frequenzA})
        t->setFocusPolicy(Qt::TabFocus);
    quelA->setAccessibleName(tr("Quelle"));
    nameA->setAccessibleName(tr("Sender", "die Anzeige"));
    frequenzA->setAccessibleName(tr("Frequenz und Hinweis"));

    const QString parts[4] = {tr("Tag"), tr("Stunde"), tr("Minute"), tr("Sender")};
    for (int i = 0; i < 3; ++i) {
        const std::array<QComboBox *, 4> row{Woche[i], stunde[i], minuten[i], sender[i]};
        for (int j = 0; j < 4; ++j)
            row[size_t(j)]->setAccessibleName(tr("Schaltuhr Zeile %1, %2").arg(i + 1).arg(parts[j]));
    }
    Ausweichsender->setAccessibleName(tr("Ausweichsender für Werbung"));
    // A caption in the window's language that names one control labels it
    // for assistive technology. (None has an '&', so none makes a
    // shortcut.) The level captions are the design's English: a screen
    // reader would say them before the sliders' own names.
    Label37->setBuddy(Ausweichsender);
    demoM7->setAccessibleName(tr("Vorführung: Receiver (M7)"));
    demoN5->setAccessibleName(tr("Vorführung: Kassettendeck (N5)"));
    demoW2->setAccessibleName(tr("Vorführung: Plattenspieler (W2)"));
    demoXV6->setAccessibleName(tr("Vorführung: CD-Spieler (XV6)"));
}

void Form1::nameStationKeys()
{
    // A station key by the station it tunes and its number: the caption
    // may be a bare frequency, and two keys may share a name.
    const auto &stations = hifi_.keyStations();
    for (int i = 1; i <= 30; ++i) {
        KeyLabel *k = stationT[size_t(i)];
        if (k->text().isEmpty())
            continue;  // named as empty by the key itself
        const QString &station = stations[size_t(i)].name;
        k->setAccessibleName(tr("%1, Taste %2").arg(station.isEmpty() ? k->text() : station).arg(i));
        // The frequency as it is said, not the caption read as a tooltip.
        k->setAccessibleDescription(spokenFrequency(stations[size_t(i)].frequency));
    }
}

QString Form1::spokenFrequency(const QString &frequency) const
{
    if (frequency.isEmpty() || !frequency.front().isDigit())
        return QString();
    // FM in MHz with its decimals, AM in kHz as a whole number.
    if (!frequency.contains(QLatin1Char('.')))
        return tr("%1 kHz").arg(frequency);
    QString f = frequency;
    return tr("%1 MHz").arg(f.replace(QLatin1Char('.'), tr(",", "Dezimalzeichen")));
}

void Form1::nameTunerStepKeys()
{
    // "auto tune" seeks through the band the tuner is on.
    const bool am = hifi_.band() == QLatin1String("AM");
    autominusK->setAccessibleName(am ? tr("AM-Suchlauf zurück") : tr("FM-Suchlauf zurück"));
    autoplusK->setAccessibleName(am ? tr("AM-Suchlauf vor") : tr("FM-Suchlauf vor"));
}

void Form1::buildTabOrder()
{
    // As the window reads, panel by panel, each row left to right: the
    // source keys, the amplifier panel, the displays and the port list at
    // the top right (joinPortPlaceToTabOrder), the station keys or the configuration
    // keys in the middle, then the lower panels, left before right. The
    // size arrows come last.
    std::vector<QWidget *> order(Quelle.begin(), Quelle.end());
    order.insert(order.end(), {volR, balR, balA, bassR, bassA, trebR, trebA, muteK, loudnK, eqK});
    order.insert(order.end(), {quelA, nameA, frequenzA});
    for (int i = 1; i <= 30; ++i)
        order.push_back(stationT[i]);
    order.insert(order.end(), {copy, ls1K, ls2K, herz, monoK, lbassminus, lbassplus, TestMemory, Ausweichsender});
    for (int i = 0; i < 3; ++i)
        order.insert(order.end(), {Woche[i], stunde[i], minuten[i], sender[i]});
    order.insert(order.end(), {hblendK, autominusK, autoplusK, Werbeauto, progminusK, progplusK});
    for (QFrame *panel : {tapepanel2, cdpanel2, tapepanel1, cdpanel, phonopanel})
        for (KeyLabel *k : transportKeys)
            if (k->parentWidget() == panel)
                order.push_back(k);
    order.insert(order.end(), {StationenEinlesen, demoM7, demoN5, demoW2, demoXV6, Demo});
    order.insert(order.end(), {vergroessern, verkleinern});
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::joinPortPlaceToTabOrder()
{
    // A control held outside the small window has no focus policy now and
    // is left where it is: Qt orders only what takes the focus.
    QWidget *before = quelA;
    for (QWidget *w : portPanel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->focusPolicy() != Qt::NoFocus) {
            QWidget::setTabOrder(before, w);
            before = w;
        }
}

void Form1::buildTimers()
{
    auto make = [this](int interval, bool enabled) {
        auto t = plat.makeTimer();
        t->setInterval(interval);
        t->setEnabled(enabled);
        return t;
    };
    schalttimer = make(10000, false);
    dauertimer = make(30000, false);
    testtimer = make(2000, true);
    Timer3 = make(200, false);
    dumpWatch = make(kDumpWatchMs, false);
    rxLogShow = make(200, false);
    for (auto &t : sliderRest)
        t = make(kSliderRestMs, false);
    newsTimer = make(kNewsMs, false);
}

void Form1::connectHandlers()
{
    // Every click and pointer action runs its handler through runHandler.
    auto connectTo = [](auto *sender, auto signal, auto handler) {
        QObject::connect(sender, signal, sender, [handler] { runHandler(handler); });
    };
    // A key can also be pressed through assistive technology, which sends
    // no input event the window could hold back: the rule is kept here too.
    // Each key's procedure is also kept by the key's name, for the door.
    auto on = [&](KeyLabel *k, auto handler, QString name = QString()) {
        connectTo(k, &KeyLabel::clicked, [this, handler] {
            if (formEnabled_)
                handler();
        });
        keyProcedures_[name.isEmpty() ? k->objectName() : name] = handler;
    };

    for (int i = 0; i < 9; ++i)
        on(Quelle[i], [this, i] { Quelle_Click(i); }, QStringLiteral("Quelle%1").arg(i));
    on(vergroessern, [this] { vergroessern_Click(); });
    on(verkleinern, [this] { verkleinern_Click(); });

    for (int i = 0; i < 4; ++i) {
        connectTo(levelSliders()[i], &LevelSlider::pointerActionDone, [this, i] { levelSlider_Scroll(i); });
        connectTo(levelSliders()[i], &LevelSlider::movedByUser, [this, i] { sliderMovedByUser(i); });
        sliderRest[i]->onTick = [this, i] { runHandler([this, i] { sliderRest_Timer(i); }); };
    }
    // A read-out pressed from the keyboard says its new value: a screen
    // reader does not speak the changed name of the focused control.
    auto sayValue = [this](TextBox *t) {
        if (focusOn(t))
            busyNotice->announce(QAccessible::queryAccessibleInterface(t)->text(QAccessible::Name));
    };
    connectTo(bassA, &TextBox::clicked, [this, sayValue] { bassA_Click(); sayValue(bassA); });
    connectTo(balA, &TextBox::clicked, [this, sayValue] { balA_Click(); sayValue(balA); });
    connectTo(trebA, &TextBox::clicked, [this, sayValue] { trebA_Click(); sayValue(trebA); });

    on(muteK, [this] { muteK_Click(); });
    on(loudnK, [this] { loudnK_Click(); });
    on(eqK, [this] { eqK_Click(); });
    on(ls1K, [this] { ls1K_Click(); });
    on(ls2K, [this] { ls2K_Click(); });
    on(monoK, [this] { monoK_Click(); });
    on(hblendK, [this] { hblendK_Click(); });
    on(herz, [this] { herz_Click(); });
    on(copy, [this] { copy_Click(); });
    on(lbassminus, [this] { lbassminus_Click(); });
    on(lbassplus, [this] { lbassplus_Click(); });

    for (int i = 1; i <= 30; ++i)
        on(stationT[i], [this, i] { stationT_Click(i); }, QStringLiteral("stationT%1").arg(i));
    on(autominusK, [this] { autominusK_Click(); });
    on(autoplusK, [this] { autoplusK_Click(); });
    on(progminusK, [this] { progminusK_Click(); });
    on(progplusK, [this] { progplusK_Click(); });
    on(TestMemory, [this] { TestMemory_Click(); });
    on(StationenEinlesen, [this] { StationenEinlesen_Click(); });
    on(Werbeauto, [this] { Werbeauto_Click(); });
    on(Demo, [this] { Demo_Click(); });

    for (int i = 0; i < int(transportKeys.size()); ++i)
        on(transportKeys[i], [this, i] { transportKey_Click(i); });

    connectTo(Command1, &QPushButton::clicked, [this] { Command1_Click(); });

    testtimer->onTick = [this] { runHandler([this] { testtimer_Timer(); }); };
    dauertimer->onTick = [this] { runHandler([this] { dauertimer_Timer(); }); };
    Timer3->onTick = [this] { runHandler([this] { Timer3_Timer(); }); };
    schalttimer->onTick = [this] { runHandler([this] { schalttimer_Timer(); }); };
    dumpWatch->onTick = [this] { runHandler([this] { dumpWatch_Timer(); }); };
    rxLogShow->onTick = [this] { runHandler([this] { rxLogShow_Timer(); }); };
    newsTimer->onTick = [this] { runHandler([this] { news_Timer(); }); };

    MSComm1.onComm = [this](platform::SerialPort::EventKind kind) { runHandler([this, kind] { MSComm1_OnComm(kind); }); };
}

void Form1::connectModel()
{
    // A function key's colour is its state: the model follows it.
    const std::pair<KeyLabel *, model::Function> functionKeys[] = {
        {muteK, model::Function::Mute},        {loudnK, model::Function::Loudness},
        {eqK, model::Function::Equaliser},     {ls1K, model::Function::Speaker1},
        {ls2K, model::Function::Speaker2},     {monoK, model::Function::Mono},
        {hblendK, model::Function::HBlend},    {herz, model::Function::Filter20Hz},
        {Werbeauto, model::Function::Advertising},
    };
    for (const auto &[key, function] : functionKeys) {
        hifi_.setFunction(function, key->isChecked());
        QObject::connect(key, &QAbstractButton::toggled, &hifi_,
                         [this, f = function](bool on) { hifi_.setFunction(f, on); });
    }
    for (int i = 1; i <= 30; ++i) {
        hifi_.setStationKeyCaption(i, stationT[size_t(i)]->text());
        // Captions change where the stations behind the keys do.
        QObject::connect(stationT[size_t(i)], &KeyLabel::captionChanged, &hifi_, [this, i](const QString &caption) {
            hifi_.setStationKeyCaption(i, caption);
            showKeyStations();
            nameStationKeys();
        });
    }
    showKeyStations();
    nameStationKeys();
    for (int i = 0; i < 4; ++i)
        hifi_.setLevel(model::Level(i), levelSliders()[size_t(i)]->value());
    QObject::connect(&hifi_, &model::HifiModel::bandChanged, this, [this] { nameTunerStepKeys(); });

    // What changed without the focused control saying so is told.
    QObject::connect(&hifi_, &model::HifiModel::sourceChanged, this, [this](model::Source source) {
        const int key[] = {8, 0, 1, 2, 3, 4, 5, 6};  // the source key of each model::Source
        KeyLabel *k = Quelle[size_t(key[int(source)])];
        if (!focusOn(k))
            tell(k->accessibleName());
    });
    QObject::connect(&hifi_, &model::HifiModel::stationChanged, this, [this] {
        const model::Station &st = hifi_.station();
        const QString f = spokenFrequency(st.frequency);
        if (f.isEmpty())
            return;  // none, or the tuner still searching
        tell(st.name.isEmpty() ? f : st.name + QStringLiteral(", ") + f);
    });
    QObject::connect(&hifi_, &model::HifiModel::levelChanged, this, [this](model::Level level, int value) {
        const int i = int(level);
        const std::array<TextBox *, 4> readOuts{volA, balA, bassA, trebA};
        if (focusOn(levelSliders()[size_t(i)]) || focusOn(readOuts[size_t(i)]))
            return;
        // Bass and treble read out in the device's steps of two.
        const int shown = level == model::Level::Bass || level == model::Level::Treble ? 2 * value : value;
        tell(levelSliders()[size_t(i)]->accessibleName() + QLatin1Char(' ') + QString::number(shown));
    });
    hifi_.setLink({MSComm1.devicePath(), comPort, MSComm1.isOpen(), false});
    // While the source display reads "off", its tooltip names the port and
    // how the line stands.
    QObject::connect(&hifi_, &model::HifiModel::linkChanged, quelA, [this] { showLinkState(); });
    QObject::connect(quelA, &QLineEdit::textChanged, quelA, [this] { showLinkState(); });
}

std::function<void()> Form1::keyProcedure(const QString &name) const
{
    const auto it = keyProcedures_.find(name);
    return it == keyProcedures_.end() ? std::function<void()>() : it->second;
}

void Form1::setFormEnabled(bool on)
{
    formEnabled_ = on;
    if (on) {
        busyNotice->withdraw();
        // What changed during the wait is told now.
        if (!news_.isEmpty())
            newsTimer->setEnabled(true);
    }
    showBusy();
}

bool Form1::focusOn(const QWidget *w) const
{
    return w && w->hasFocus() && isActiveWindow();
}

void Form1::tell(const QString &part)
{
    if (!newsReady_ || part.isEmpty())
        return;
    news_.removeAll(part);
    news_ << part;
    newsTimer->setEnabled(true);
}

void Form1::news_Timer()
{
    newsTimer->setEnabled(false);
    // Said once the window is free: while it waits, a key press says so.
    if (!formEnabled_ || news_.isEmpty())
        return;
    busyNotice->announce(news_.join(QStringLiteral(", ")));
    news_.clear();
}

void Form1::keepFocusInView(QWidget *before, QWidget *neighbour)
{
    if (before && before != this && isAncestorOf(before) && !before->isVisibleTo(this) && neighbour->isVisibleTo(this))
        neighbour->setFocus(Qt::OtherFocusReason);
}

void Form1::showBusy()
{
    const bool busy = !formEnabled_ || waitDepth_ > 0;
    hifi_.setBusy(busy);
    if (property("busy").toBool() != busy)
        announceBusy(this, busy);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        // A control shown (or built) while the window is small.
        if (auto *w = qobject_cast<QWidget *>(watched); w && isAncestorOf(w))
            fitFocusToArea(w);
        // The port list is built into its place after the window.
        if (watched == portPanel)
            joinPortPlaceToTabOrder();
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || (w != this && !isAncestorOf(w)))
        return false;
    // A disabled window takes no input, but stays painted as it is.
    if (!formEnabled_) {
        // Seen, the exchange explains itself; heard, it must be said.
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
            busyNotice->say(tr("Datenaustausch – bitte warten"));
        // A drag whose button comes up now sent nothing: the slider must
        // not stay on a value no code went out for.
        if (auto *s = qobject_cast<LevelSlider *>(w); s && event->type() == QEvent::MouseButtonRelease &&
                                                       s->pointerDown()) {
            s->abandonPointerAction();
            return false;
        }
        return true;
    }
    // A press that the focused control ignores travels on to its parents,
    // and this filter sees it at each of them: it counts where it starts.
    if (event->type() == QEvent::KeyPress && w == firstKeyReceiver()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Q && key->modifiers() == Qt::ControlModifier) {
            close();  // as the close box: the files are saved
            return true;
        }
        bool media = false;
        runHandler([this, key, &media] { media = mediaKey_Press(key->key()); });
        if (media)
            return true;
        // The window sees typed characters before the focused control; the
        // character then goes on to that control unchanged.
        const QString text = key->text();
        if (text.size() == 1 && text[0].unicode() < 256)
            runHandler([this, &text] { Form_KeyPress(text[0].unicode()); });
    }
    return false;
}

QWidget *Form1::firstKeyReceiver()
{
    if (QWidget *grabber = QWidget::keyboardGrabber())
        return grabber;
    QWidget *f = focusWidget();
    return f ? f : this;
}

void Form1::closeEvent(QCloseEvent *event)
{
    runHandler([this] { Form_Unload(); });
    event->accept();
}

int Form1::outerWidthTwips() const
{
    return int(std::lround(width() * ui::kTwipsPerPixel / ui::zoom())) + ui::kFrameTwips;
}

namespace {

// The arrow for the other size takes the place of `going`, and the focus
// of a keyboard user who pressed it.
void swapArrows(KeyLabel *going, KeyLabel *coming)
{
    coming->setVisible(true);
    if (going->window()->focusWidget() == going)
        coming->setFocus(Qt::TabFocusReason);
    going->setVisible(false);
}

}  // namespace

void Form1::vergroessern_Click()
{
    setFixedWidth(ui::px(ui::kLargeOuterWidth - ui::kFrameTwips));
    fitFocusToWindow();
    swapArrows(vergroessern, verkleinern);
    largeWindow = 1;
}

void Form1::verkleinern_Click()
{
    setFixedWidth(ui::px(ui::kSmallOuterWidth - ui::kFrameTwips));
    fitFocusToWindow();
    swapArrows(verkleinern, vergroessern);
    largeWindow = 0;
}

namespace {
// Where a control keeps its own focus policy while it lies outside.
constexpr char kOwnFocusPolicy[] = "peloraOwnFocusPolicy";
}  // namespace

void Form1::fitFocusToArea(QWidget *w)
{
    const QVariant own = w->property(kOwnFocusPolicy);
    const auto policy = own.isValid() ? Qt::FocusPolicy(own.toInt()) : w->focusPolicy();
    if (policy == Qt::NoFocus)
        return;
    if (rect().intersects(QRect(w->mapTo(this, QPoint(0, 0)), w->size()))) {
        if (own.isValid()) {
            w->setFocusPolicy(policy);
            w->setProperty(kOwnFocusPolicy, QVariant());
        }
    } else if (!own.isValid()) {
        w->setProperty(kOwnFocusPolicy, int(policy));
        w->setFocusPolicy(Qt::NoFocus);
    }
}

void Form1::fitFocusToWindow()
{
    for (QWidget *w : findChildren<QWidget *>())
        fitFocusToArea(w);
    // The focus must not stay on a control the user can no longer see.
    if (QWidget *f = focusWidget(); f && f != this && f->focusPolicy() == Qt::NoFocus &&
                                    f->property(kOwnFocusPolicy).isValid())
        focusNextChild();
}

void Form1::showProgress(const QString &text, double done)
{
    // Shown before its value changes: a screen reader passes over a
    // progress bar it cannot see.
    if (!text.isEmpty())
        progressA->show();
    progressA->setProgress(text, done);
    if (text.isEmpty())
        progressA->hide();
    setWindowTitle(text.isEmpty() ? QStringLiteral("Ondal Pelora") : QStringLiteral("Ondal Pelora – ") + text);
}
