// The demonstration programme: a few minutes of radio, then the cassette
// deck, record player and CD player the user ticked, as one fixed script of
// codes and waits.

#include "ui/form1.h"
#include "platform/logging.h"

#include <QCheckBox>
#include <QCoreApplication>

#include <algorithm>

namespace {

// Texts are looked up when shown: the language is chosen after start-up.
QString notice()
{
    return QCoreApplication::translate(
        "Demo", "Es läuft jetzt ein automatisches Programm auf Ihrer Sonvera Anlage ab. Die gewählten Geräte \r"
                "müssen mit Cassette/CD/Langspielplatte bestückt und eingeschaltet sein. Besonders wichtig \r"
                "ist dies beim Plattenspieler, da der Tonarm auch ohne Platte aufsetzen würde.\r\r"
                "Lautstärke bitte auf Normalniveau bringen. Programmablauf wird durch Relais-Klicken am Gerät\r"
                "akustisch signalisiert. Nach Beendigung des Programmes erfolgt eine Bildschirmmeldung.\r");
}

QString noDeviceText()
{
    return QCoreApplication::translate("Demo",
                                       "Gerät nicht angeschlossen oder eingeschaltet. Vorgang wird abgebrochen");
}

QString finishedText()
{
    return QCoreApplication::translate("Demo", "Ende des automatischen Programmablaufes");
}

QString abortedText(const QString &section, const QString &reason)
{
    return QCoreApplication::translate("Demo",
                                       "Der automatische Programmablauf wurde vorzeitig beendet (Abschnitt %1: %2).")
        .arg(section, reason);
}

// The grey third state is not a tick.
bool ticked(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

// The script. Run once "dry" it only adds up its waits, which gives the
// time left that the progress line shows during the real run.
class Programme {
public:
    Programme(Form1 &f, bool dry) : f_(f), dry_(dry) {}

    void setTimeLeft(double seconds) { left_ = total_ = seconds; }
    double waits() const { return waits_; }
    // The section running now, by the name the progress line shows.
    const QString &currentSection() const { return section_; }

    // The whole script; false when the device did not answer.
    bool run();

private:
    void receiver();
    void cassette();
    void recordPlayer();
    void cd();
    void closing();
    void section(const QString &name) { section_ = name; }
    void wait(double seconds);
    void send(cmd::Code code, double then)
    {
        if (!dry_)
            f_.writeCode(code);
        wait(then);
    }
    void sendTwice(cmd::Code code, double first, double second)
    {
        send(code, first);
        send(code, second);
    }
    // Timer3 sends the burst; the script goes on after `then`, so the codes
    // that follow may go out between the repeated ones.
    void repeat(cmd::Code code, int times, double then)
    {
        if (!dry_)
            f_.startRepeat(code, times);
        wait(then);
    }
    void randomStation(double then);
    void showTimeLeft();

    Form1 &f_;
    bool dry_;
    double waits_ = 0;
    double left_ = 0;
    double total_ = 0;
    QString section_;
};

void Programme::showTimeLeft()
{
    const int seconds = int(left_ + 0.999);
    f_.showProgress(QCoreApplication::translate("Demo", "Demo: %1, noch ca. %2:%3")
                        .arg(section_)
                        .arg(seconds / 60)
                        .arg(seconds % 60, 2, 10, QLatin1Char('0')),
                    total_ > 0 ? 1.0 - left_ / total_ : 0.0);
}

void Programme::wait(double seconds)
{
    waits_ += seconds;
    if (dry_ || seconds <= 0)
        return;
    showTimeLeft();
    f_.Pause(float(seconds));
    left_ = std::max(0.0, left_ - seconds);
}

void Programme::randomStation(double then)
{
    if (!dry_) {
        const int slot = int(f_.plat.random->next() * 15 + 1);
        f_.stationT_Click(slot);
    }
    wait(then);
}

bool Programme::run()
{
    section(QCoreApplication::translate("Demo", "Verbindungstest"));
    // The answer watch shows "off" when the last request went unanswered.
    if (!dry_)
        f_.testtimer->setEnabled(true);
    wait(3);
    if (!dry_ && f_.quelA->text() == QLatin1String("off"))
        return false;
    wait(3);

    receiver();
    // The ticks count as they are when a section comes up.
    if (ticked(f_.demoN5))
        cassette();
    if (ticked(f_.demoW2))
        recordPlayer();
    if (ticked(f_.demoXV6))
        cd();
    closing();
    return true;
}

void Programme::receiver()
{
    section(QCoreApplication::translate("Demo", "Radio"));
    // The relay click of speaker 2 tells the listener that it begins.
    for (int i = 0; i < 4; ++i)
        send(cmd::Speaker2, 0.2);
    send(cmd::SourceTuner, 0);
    send(cmd::TunerFm, 7);

    // The station key takes slot numbers while slotDirectMode is 1; it must
    // not stay so if the run ends early.
    struct DirectSlots {
        Form1 &f;
        bool on;
        DirectSlots(Form1 &form, bool dry) : f(form), on(!dry)
        {
            if (on)
                f.slotDirectMode = 1;
        }
        ~DirectSlots()
        {
            if (on)
                f.slotDirectMode = 0;
        }
    } direct(f_, dry_);
    if (!dry_)
        f_.plat.random->seedFromClock();
    randomStation(13);
    randomStation(13);
    repeat(cmd::VolumeUp, 9, 5);
    repeat(cmd::VolumeDown, 9, 5);
    randomStation(13);
}

void Programme::cassette()
{
    section(QCoreApplication::translate("Demo", "Kassette"));
    send(cmd::Speaker2, 0.2);
    send(cmd::Speaker2, 0.2);
    send(cmd::SourceTape1, 0.5);
    sendTwice(cmd::TapeStop, 0.5, 0.5);
    sendTwice(cmd::Forward, 0.5, 8);
    sendTwice(cmd::TapeStop, 0.5, 0.5);
    sendTwice(cmd::Start, 0.5, 15);
    sendTwice(cmd::TapeStop, 0.5, 0.5);
    sendTwice(cmd::Forward, 0.5, 10);
    sendTwice(cmd::TapeStop, 0.5, 0.5);
    sendTwice(cmd::Start, 0.5, 16);
    sendTwice(cmd::TapeStop, 0.5, 0.5);
    sendTwice(cmd::Rewind, 0.5, 2);
    send(cmd::TunerFm, 5);
}

void Programme::recordPlayer()
{
    section(QCoreApplication::translate("Demo", "Plattenspieler"));
    send(cmd::Speaker2, 0.2);
    send(cmd::Speaker2, 0.2);
    repeat(cmd::VolumeUp, 7, 0.2);
    send(cmd::SourcePhono, 0.2);
    send(cmd::Start, 30);
    send(cmd::PauseLift, 3);
    repeat(cmd::Rewind, 15, 6);
    send(cmd::PauseLift, 30);
    send(cmd::PauseLift, 3);
    repeat(cmd::Rewind, 18, 6);
    send(cmd::PauseLift, 30);
    send(cmd::Start, 0.2);
    repeat(cmd::VolumeDown, 7, 5);
}

void Programme::cd()
{
    section(QStringLiteral("CD"));
    send(cmd::Speaker2, 0.2);
    send(cmd::Speaker2, 0.2);
    send(cmd::SourceCd, 0.2);
    send(cmd::CdStart, 15);
    send(cmd::CdSkipBack, 7);
    send(cmd::CdSkipBack, 7);
    send(cmd::CdSkipBack, 0.2);
    send(cmd::CdSkipBack, 15);
    send(cmd::CdStop, 7);
}

void Programme::closing()
{
    section(QCoreApplication::translate("Demo", "Abschluss"));
    for (int i = 0; i < 4; ++i)
        send(cmd::Speaker2, 0.2);
    send(cmd::SourceTuner, 0);
    send(cmd::TunerFm, 5);
}

// Takes the progress line away and frees the key however the run ends.
struct DemoRun {
    Form1 &f;
    explicit DemoRun(Form1 &form) : f(form) { f.Demo->setProperty("running", true); }
    ~DemoRun()
    {
        f.showProgress(QString());
        f.Demo->setProperty("running", false);
    }
};

}  // namespace

void Form1::Demo_Click()
{
    // A second press while a run goes on would interleave two scripts.
    if (Demo->property("running").toBool())
        return;
    if (!plat.messages->showOkCancel(notice()))
        return;

    DemoRun running(*this);
    Programme plan(*this, true);
    plan.run();
    Programme programme(*this, false);
    programme.setTimeLeft(plan.waits());
    bool finished = false;
    try {
        finished = programme.run();
    } catch (const WindowClosed &) {
        qCWarning(lcAutomation).noquote()
            << abortedText(programme.currentSection(), QCoreApplication::translate("Demo", "Fenster geschlossen"));
        throw;
    } catch (const std::exception &e) {
        // Whatever ends the script early, the user hears no more clicks and
        // must be told why.
        showProgress(QString());
        plat.messages->showOk(abortedText(programme.currentSection(), QString::fromUtf8(e.what())));
        return;
    }
    showProgress(QString());
    plat.messages->showOk(finished ? finishedText() : noDeviceText());
}
