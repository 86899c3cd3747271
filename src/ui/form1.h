#pragma once
// The main window. All window logic lives in its procedures; each is defined
// in the folder of its subsystem (link/, store/, amp/, tuner/, players/,
// automation/, ui/).

#include "link/command_codes.h"
#include "model/door.h"
#include "model/hifi_model.h"
#include "platform/logging.h"
#include "platform/platform.h"
#include "store/station_arrays.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVariant>
#include <QWidget>

#include <array>
#include <exception>
#include <functional>
#include <map>
#include <memory>

// A timer of the window that has no handler: its interval and its enabled
// flag are kept, but it never runs, so it never wakes the program.
class IdleTimer {
public:
    IdleTimer(int ms, bool on) : interval_(ms), enabled_(on) {}
    void setInterval(int ms) { interval_ = ms; }
    int interval() const { return interval_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool isEnabled() const { return enabled_; }

private:
    int interval_;
    bool enabled_;
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(platform::Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    platform::Platform &plat;

    // What the hi-fi is doing, set by the procedures below.
    model::HifiModel &hifi() { return hifi_; }
    const model::HifiModel &hifi() const { return hifi_; }
    // The door for callers outside the window.
    model::Door &door() { return *door_; }
    // The procedure a click on the key named `name` runs (its control name;
    // arrays as "Quelle6", "stationT12"), or none.
    std::function<void()> keyProcedure(const QString &name) const;

    // ---- Device link --------------------------------------------------
    // Opens the files and the port, labels the keys, asks for status. False
    // when the start failed (the message has been shown; the caller ends).
    bool Form_Load();
    void Form_Unload();
    // Opens the line on `device` (empty: the COM<n> port). When it does not
    // open, the old line is opened again and the user is told; then the
    // window asks the device now on the line for its state.
    void choosePort(const QString &device);
    void writeCode(cmd::Code code);
    // Waits while events go on; throws WindowClosed once the window is closed.
    void Pause(float seconds);

    void requestStatus();
    void MSComm1_OnComm(platform::SerialPort::EventKind kind);
    void testtimer_Timer();
    void dauertimer_Timer();
    void Timer3_Timer();
    void Command1_Click();
    // The watch of silence: an answer that has had no character for about a
    // second ends short of 79 as a failed request does, so that a device
    // that stops mid-dump cannot lock the window.
    void dumpWatch_Timer();
    // The reduced display of a device that does not answer.
    void showDeviceAbsent();
    // The tooltip of the source display while it reads "off": the port
    // and the state of the line.
    void showLinkState();
    // Brings what the receive events logged since the last tick into the
    // receive log: a line that babbles costs one append per tick.
    void rxLogShow_Timer();
    // The diagnostics: what was received since the last request, one line
    // per receive event, and the receive counter ("off" until the first
    // character). Kept here, not in the hidden diagnostic boxes, whose
    // every change would be an event to assistive technology.
    const QString &receiveLog() const { return receiveLog_; }
    const QString &receiveCounter() const { return receiveCounter_; }
    // Starts the code repeater: `code` goes out `limit` times, one per tick.
    void startRepeat(cmd::Code code, int limit);
    // A held key: `code` `times` times back to back, at the line's pace
    // (100 ms a code); the window is busy until the last one is out.
    void holdKey(cmd::Code code, int times);
    void decodeStatus();
    // The dump of the latest request arrived whole and read as the device
    // writes it (it may still have stopped at a value that does not convert).
    bool dumpReadable() const { return dumpReadable_; }
    void showStation(const QVariant &frequency);
    // The station list's record of `frequency`, or none. Throws
    // ConversionError when there are records and it is no number.
    const StationRecord *stationRecordOf(const QVariant &frequency) const;
    // Window enabled flag: while false, input to the window is dropped but
    // nothing is painted grey.
    void setFormEnabled(bool on);
    bool formEnabled() const { return formEnabled_; }

    // Set before the start when the device chosen by path comes from the
    // settings, not the command line: if it does not open, the COM<n> port
    // is used instead.
    bool comPortFallback = false;
    qint16 comPort = 0;
    qint16 statusPending = 0;
    std::array<QString, 101> rxBuffer;
    qint16 rxCount = 0;
    QString rxChunk;
    QString repeatCode;
    int repeatLimit = 0;
    int repeatCount = 0;
    QVariant volumeLevel;
    QVariant balanceLevel;
    QVariant currentSource;

    // ---- Persistence and station list ----------------------------------
    // Loads config.dat and the station files. All or nothing: on failure
    // nothing in memory changes and the reason is returned in *error.
    bool GetConfiguration(QString *error = nullptr);
    // Loads only Speicherplatz.txt and Sendername.txt, all or nothing.
    bool reloadStationFiles(QString *error = nullptr);
    // Writes Speicherplatz.txt and config.dat. On failure the old files stay
    // and the user is told.
    bool saveConfiguration();
    // The session manager's request to save: the files as at a close, the
    // window stays. A failure is shown only when `allowsInteraction` says
    // so; it is logged in any case.
    void saveForSession(const std::function<bool()> &allowsInteraction);
    bool saveStationMemory();
    // Labels the station keys in the current mode. False when the station
    // files had to be read again and could not be: the keys stay as they were.
    bool refreshStationKeys();
    // The stations behind the keys, for the model.
    void showKeyStations();

    QVariant stationKeyMode;
    QVariant largeWindow;
    TextArray slotFrequency;
    TextArray keyFrequency;
    TextArray keyName;
    TextArray keyNote;
    StationRecords stationNames;
    int nameRecordEnd = 1;

    // ---- Amplifier control ------------------------------------------------
    void Quelle_Click(int index);
    void volR_Scroll();
    void balR_Scroll();
    void bassR_Scroll();
    void trebR_Scroll();
    void bassA_Click();
    void balA_Click();
    void trebA_Click();
    void muteK_Click();
    void loudnK_Click();
    void ls1K_Click();
    void ls2K_Click();
    void monoK_Click();
    void hblendK_Click();
    void herz_Click();
    void eqK_Click();
    void copy_Click();
    void lbassminus_Click();
    void lbassplus_Click();
    void Form_KeyPress(int keyAscii);
    // The keyboard's volume, mute and media keys: true when `key` was one.
    bool mediaKey_Press(int key);
    // A slider moved by the wheel or the keyboard: its level handler runs
    // once the slider has rested (sliderRest_Timer), as after a release.
    void sliderMovedByUser(int slider);
    void sliderRest_Timer(int slider);
    // Moves slider `slider` to `value` as the wheel or the keyboard does.
    void levelSlider_Set(int slider, int value);
    // The level handler of slider `slider` (volume, balance, bass, treble).
    void levelSlider_Scroll(int slider);
    // The four level sliders in the order volume, balance, bass, treble.
    std::array<LevelSlider *, 4> levelSliders() const { return {volR, balR, bassR, trebR}; }

    QString tunerBand;

    // ---- Tuner -----------------------------------------------------------
    void stationT_Click(int index);
    // Asks for status once the exchange under way, if any, has ended.
    // Returns the seconds it waited for that.
    float requestStatusAfterExchange();
    void autominusK_Click();
    void autoplusK_Click();
    void progminusK_Click();
    void progplusK_Click();
    void TestMemory_Click();
    void StationenEinlesen_Click();
    void Werbeauto_Click();

    QVariant currentFrequency;
    qint16 slotDirectMode = 0;
    QVariant returnSlot;

    // ---- Player panels ---------------------------------------------------
    // Click of transport key `index` of the transport key table.
    void transportKey_Click(int index);
    // A media key or a media-player call: the key of the player that is
    // the source, read now, chosen by what the player was last asked.
    void playerCall(model::Call call);

    // ---- Automation --------------------------------------------------------
    void schalttimer_Timer();
    void Demo_Click();

    // ---- Main window -------------------------------------------------------
    void vergroessern_Click();
    void verkleinern_Click();
    // Outer width of the window in design units (twips).
    int outerWidthTwips() const;
    // Where the port list sits: the station display's place, shown with
    // the configuration panels.
    QWidget *portPlace() const { return portPanel; }
    // Shows the progress of a long run (import, demonstration), `done`
    // from 0 to 1, or, with an empty text, takes it away.
    void showProgress(const QString &text, double done = 0);

    // Controls, named as in the window.
    std::array<KeyLabel *, 9> Quelle{};
    QLabel *warten = nullptr;
    // Tells a screen reader user why a key press did nothing.
    Notice *busyNotice = nullptr;
    FocusRing *focusRing = nullptr;
    KeyLabel *vergroessern = nullptr;
    KeyLabel *verkleinern = nullptr;
    ProgressLine *progressA = nullptr;

    QFrame *Frame3 = nullptr;
    LevelSlider *volR = nullptr;
    LevelSlider *balR = nullptr;
    LevelSlider *bassR = nullptr;
    LevelSlider *trebR = nullptr;
    TextBox *volA = nullptr;
    TextBox *balA = nullptr;
    TextBox *bassA = nullptr;
    TextBox *trebA = nullptr;
    QLabel *LabelVolume = nullptr;
    QLabel *LabelBalance = nullptr;
    QLabel *Label1 = nullptr;   // "bass"
    QLabel *Label16 = nullptr;  // "treble"
    KeyLabel *muteK = nullptr;
    KeyLabel *loudnK = nullptr;
    KeyLabel *eqK = nullptr;
    QLabel *Picture1 = nullptr;

    QFrame *Frame2 = nullptr;
    TextBox *quelA = nullptr;
    QFrame *Frame1 = nullptr;
    TextBox *nameA = nullptr;
    TextBox *frequenzA = nullptr;

    QFrame *tunerpanel1 = nullptr;
    std::array<KeyLabel *, 31> stationT{};  // 1..30

    QFrame *configpanel1 = nullptr;
    KeyLabel *copy = nullptr;
    KeyLabel *ls1K = nullptr;
    KeyLabel *ls2K = nullptr;
    KeyLabel *herz = nullptr;
    KeyLabel *monoK = nullptr;
    QLabel *lbassK = nullptr;
    KeyLabel *lbassminus = nullptr;
    KeyLabel *lbassplus = nullptr;
    KeyLabel *TestMemory = nullptr;
    QLabel *LabelTimerCaption = nullptr;
    QLabel *LabelTimerHeads = nullptr;
    std::array<QComboBox *, 3> Woche{};
    std::array<QComboBox *, 3> stunde{};
    std::array<QComboBox *, 3> minuten{};
    std::array<QComboBox *, 3> sender{};
    QComboBox *Ausweichsender = nullptr;
    QLabel *Label37 = nullptr;
    QFrame *portPanel = nullptr;

    QFrame *tunerpanel2 = nullptr;
    KeyLabel *Werbeauto = nullptr;
    KeyLabel *hblendK = nullptr;
    QLabel *Label21 = nullptr;  // "auto tune"
    KeyLabel *autominusK = nullptr;
    KeyLabel *autoplusK = nullptr;
    QLabel *Label23 = nullptr;  // "programm"
    KeyLabel *progminusK = nullptr;
    KeyLabel *progplusK = nullptr;

    QFrame *tapepanel1 = nullptr;
    QFrame *tapepanel2 = nullptr;
    QFrame *cdpanel = nullptr;
    QFrame *cdpanel2 = nullptr;
    QFrame *phonopanel = nullptr;
    // The transport keys, in the order of the transport key table.
    std::vector<KeyLabel *> transportKeys;

    QFrame *configpanel3 = nullptr;
    QLabel *LabelInfo = nullptr;

    QFrame *configpanel2 = nullptr;
    QLabel *LabelDemoHeading = nullptr;
    QCheckBox *demoM7 = nullptr;
    QCheckBox *demoN5 = nullptr;
    QCheckBox *demoW2 = nullptr;
    QCheckBox *demoXV6 = nullptr;
    QLabel *LabelDemoMark = nullptr;
    KeyLabel *Demo = nullptr;
    KeyLabel *StationenEinlesen = nullptr;

    // Diagnostics, below the visible area, hidden and left out of what
    // assistive technology sees.
    QPushButton *Command1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLabel *LabelUnused = nullptr;
    QLabel *Label40 = nullptr;

    std::unique_ptr<platform::Timer> schalttimer;
    std::unique_ptr<platform::Timer> dauertimer;
    std::unique_ptr<platform::Timer> testtimer;
    std::unique_ptr<platform::Timer> Timer3;
    IdleTimer Timer1{100, true};
    IdleTimer Timer2{30000, false};
    std::unique_ptr<platform::Timer> dumpWatch;
    std::unique_ptr<platform::Timer> rxLogShow;
    std::array<std::unique_ptr<platform::Timer>, 4> sliderRest;
    std::unique_ptr<platform::Timer> newsTimer;

    platform::SerialPort &MSComm1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Writes Speicherplatz.txt and config.dat; what failed, for the user,
    // or nothing.
    QString writeDataFiles();
    void buildWindow();
    void buildAmplifierPanel();
    void buildDisplays();
    void buildTunerPanels();
    void buildConfigPanels();
    void buildPlayerPanels();
    void buildHiddenControls();
    void buildTimers();
    void connectHandlers();
    // Roles, names and states for screen readers; the order Tab follows.
    void describeForAssistiveTechnology();
    // Names the seek keys by the band they step through.
    void nameTunerStepKeys();
    void nameStationKeys();
    // "87,90 MHz", "1440 kHz": a frequency in words of the window's language.
    QString spokenFrequency(const QString &frequency) const;
    void buildTabOrder();
    // Tab reaches the controls put into the port place where they sit.
    void joinPortPlaceToTabOrder();
    // A control outside the window's client area (beyond the right edge of
    // the small window) takes no focus; back inside, it has its own
    // policy again.
    void fitFocusToArea(QWidget *w);
    void fitFocusToWindow();

    // The widget a key press reaches first; it goes on to the parents
    // from there, and must count once.
    QWidget *firstKeyReceiver();

    // The model's busy flag: the window disabled, or a wait under way.
    void showBusy();
    // Tells a screen reader user of a change the focused control does not
    // speak itself: parts gathered while the window is at work are said
    // together, once, as soon as it has finished.
    void tell(const QString &part);
    void news_Timer();
    // Whether the focus is on `w`: its own change is spoken by it.
    bool focusOn(const QWidget *w) const;
    // When the control that had the focus has gone with its panel, the
    // focus goes to `neighbour`.
    void keepFocusInView(QWidget *before, QWidget *neighbour);
    void connectModel();

    model::HifiModel hifi_;
    std::unique_ptr<model::Door> door_;
    std::map<QString, std::function<void()>> keyProcedures_;
    int waitDepth_ = 0;
    bool formEnabled_ = true;
    std::array<int, 4> sliderRestValue_{};
    bool unloaded_ = false;
    QStringList news_;
    // The state the first dump brings is no news.
    bool newsReady_ = false;
    // The user has been told that the device does not answer.
    bool absentTold_ = false;
    // Counts status requests, so that a decoding can tell when the source
    // selection it ran has asked for a new dump.
    quint64 statusRequests_ = 0;
    // The silence watch ended the exchange short of a dump; what still
    // arrives before the next request completes it.
    bool lateAnswer_ = false;
    bool dumpReadable_ = false;
    // Timer3's next tick ends a held key instead of writing.
    bool heldKeyOnLine_ = false;
    bool refreshAfterHold_ = false;
    platform::RateLimit noiseLog_{10.0};
    // Every code goes to the line here.
    void toLine(const QByteArray &bytes);
    // Receive log lines not yet in the log (at most the log's tail).
    QString rxLogPending_;
    QString receiveLog_;
    QString receiveCounter_;
};

// Thrown by a wait once the window has closed: a long run (the import, the
// demonstration) ends there instead of going on unseen.
struct WindowClosed : std::exception {
    const char *what() const noexcept override { return "window closed"; }
};

// Runs an event handler so that nothing it throws escapes into the event
// loop: a value that does not convert ends the handler quietly. While it
// runs, the door starts no outside request.
template <typename F>
void runHandler(F &&f)
{
    const model::Door::ProcedureScope scope;
    try {
        f();
    } catch (const std::exception &) {
    }
}
