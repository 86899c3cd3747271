// Asking the device for its state, collecting the answer, watching for
// silence, the periodic refresh and the code repeater.

#include "platform/logging.h"
#include "ui/form1.h"

#include <utility>

namespace {

// The receive log keeps its newest characters only: a line that babbles
// between two requests cannot make it grow.
constexpr int kReceiveLogTail = 4096;

// Keeps the newest characters of the log only.
void trimToTail(QString &log)
{
    if (log.size() > kReceiveLogTail)
        log.remove(0, log.size() - kReceiveLogTail);
}

}  // namespace

void Form1::requestStatus()
{
    if (unloaded_)
        return;  // the port stays closed once the window has gone
    try {
        dauertimer->setEnabled(false);
        setFormEnabled(false);
        warten->show();
        statusPending = 1;
        lateAnswer_ = false;
        dumpReadable_ = false;
        ++statusRequests_;
        rxBuffer.fill(QString());
        receiveLog_.clear();
        rxLogPending_.clear();
        receiveCounter_ = QStringLiteral("off");
        rxCount = 0;
        // A re-plugged adapter comes back under the same name: open it again.
        if (!MSComm1.isOpen())
            MSComm1.open();
        hifi_.setLineOpen(MSComm1.isOpen());
        MSComm1.discardInput();
        writeCode(cmd::StatusRequest);
        // Each request gets the watch's full two seconds: a watch already
        // running (the import's check, an earlier request) would otherwise
        // judge an answer that has only just begun.
        testtimer->setEnabled(false);
        testtimer->setEnabled(true);
        // The silence watch starts with the first character of the answer.
        dumpWatch->setEnabled(false);
    } catch (const std::exception &) {
        dauertimer->setEnabled(true);
        setFormEnabled(true);
        warten->hide();
        statusPending = 0;
    }
}

void Form1::MSComm1_OnComm(platform::SerialPort::EventKind kind)
{
    receiveCounter_ = QString::number(MSComm1.inBufferCount());
    if (kind != platform::SerialPort::Received) {
        // The port closes itself when its device goes away.
        hifi_.setLineOpen(MSComm1.isOpen());
        return;
    }
    // A dump is stored one character per event, by position; what is only
    // logged is read in one go, so that noise costs one event per read.
    const bool storing = (statusPending == 1 || lateAnswer_) && rxCount <= 100;
    rxChunk = QString::fromLatin1(storing ? MSComm1.input() : MSComm1.inputAll());
    rxLogPending_ += QString::number(rxCount) + QStringLiteral(":   ") + rxChunk + QStringLiteral("\r\n");
    trimToTail(rxLogPending_);
    rxLogShow->setEnabled(true);

    if (!storing)
        return;
    rxBuffer[size_t(rxCount)] = rxChunk;
    receiveCounter_ = QString::number(rxCount);
    ++rxCount;
    if (rxCount == 79) {
        dumpWatch->setEnabled(false);
        // The rest of an answer that paused finds the window free already.
        if (!std::exchange(lateAnswer_, false)) {
            setFormEnabled(true);
            warten->hide();
        }
        decodeStatus();
    } else if (rxCount < 79 && !lateAnswer_) {
        // Silence is timed from the latest character, however late the
        // answer began.
        dumpWatch->setEnabled(false);
        dumpWatch->setEnabled(true);
    }
}

void Form1::toLine(const QByteArray &bytes)
{
    // The rest of an answer that paused tells how the device stood before
    // this code: decoded afterwards, it would undo what the code did.
    if (std::exchange(lateAnswer_, false))
        qCInfo(lcLink) << "the rest of a paused status answer is dropped: a code went to the device meanwhile";
    MSComm1.write(bytes);
}

void Form1::rxLogShow_Timer()
{
    rxLogShow->setEnabled(false);
    receiveLog_ += std::exchange(rxLogPending_, QString());
    trimToTail(receiveLog_);
}

void Form1::testtimer_Timer()
{
    // An answer that began late is still arriving: not an absence. The
    // silence watch judges it once it stops.
    const bool arriving = statusPending == 1 && rxCount > 0 && dumpWatch->isEnabled();
    if (rxCount < 5 && !arriving)
        showDeviceAbsent();
    testtimer->setEnabled(false);
    dauertimer->setEnabled(true);
}

void Form1::showDeviceAbsent()
{
    // No answer: the device is off or not connected.
    statusPending = 0;
    setFormEnabled(true);
    warten->hide();
    // Said once, at the start as after a loss, not at every failed poll;
    // after the change to "off" it comes with.
    struct TellAbsent {
        Form1 *form;
        bool now;
        ~TellAbsent()
        {
            const QString why = Form1::tr("Das Gerät antwortet nicht: ist es eingeschaltet und angeschlossen?");
            if (!now)
                return;
            if (form->newsReady_)
                form->tell(why);
            else
                form->busyNotice->announce(why);
        }
    } tellAbsent{this, !absentTold_};
    absentTold_ = true;
    // The configuration view stays while the user is in it: the port list
    // there is how a device that does not answer is found again.
    if (configpanel1->isVisible()) {
        quelA->setText(QStringLiteral("off"));
        currentSource = QStringLiteral("off");
        hifi_.setSource(model::Source::Off);
        hifi_.setAnswering(false);
        return;
    }
    QWidget *before = focusWidget();
    Frame3->hide();
    for (KeyLabel *k : Quelle)
        k->setBackColor(colours::black);
    Quelle[8]->setBackColor(colours::green);
    nameA->hide();
    frequenzA->hide();
    for (QFrame *p : {tunerpanel1, tunerpanel2, tapepanel1, tapepanel2, phonopanel, configpanel1, configpanel2,
                      configpanel3, cdpanel, cdpanel2, portPanel})
        p->hide();
    quelA->setText(QStringLiteral("off"));
    currentSource = QStringLiteral("off");
    hifi_.setSource(model::Source::Off);
    hifi_.setAnswering(false);
    keepFocusInView(before, Quelle[8]);
}

void Form1::showLinkState()
{
    quelA->setNote(quelA->text() == QLatin1String("off") ? model::linkText(hifi_.link()) : QString());
}

void Form1::dumpWatch_Timer()
{
    dumpWatch->setEnabled(false);
    if (statusPending != 1 || rxCount >= 79)
        return;
    if (rxCount < 5) {
        // Too few for an answer. The answer watch judges them, unless it
        // has already let them run on.
        if (!testtimer->isEnabled())
            showDeviceAbsent();
        return;
    }
    // The answer stopped short: end the exchange as a failed request ends,
    // but keep collecting until the next request, so that the rest of an
    // answer that only paused is still decoded.
    statusPending = 0;
    lateAnswer_ = true;
    setFormEnabled(true);
    warten->hide();
}

void Form1::dauertimer_Timer()
{
    bool switching = Werbeauto->backColor() == colours::red;
    for (QComboBox *w : Woche)
        switching = switching || w->currentIndex() != 0;
    schalttimer->setEnabled(switching);
    requestStatus();
}

void Form1::startRepeat(cmd::Code code, int limit)
{
    if (std::exchange(heldKeyOnLine_, false))
        Timer3->setInterval(200);
    repeatCode = QString::fromLatin1(code.data(), qsizetype(code.size()));
    repeatLimit = limit;
    repeatCount = 0;
    Timer3->setEnabled(true);
}

void Form1::holdKey(cmd::Code code, int times)
{
    // The device takes a key for held while its codes follow back to back;
    // a gap of a code's time lets it go. Handed to the line at once, the
    // codes leave at the line's own pace, however late a timer runs.
    repeatCode = QString::fromLatin1(code.data(), qsizetype(code.size()));
    repeatLimit = times;
    repeatCount = times;
    setFormEnabled(false);
    warten->show();
    toLine(repeatCode.toLatin1().repeated(times));
    // A refresh now would wait behind the codes and miss its answer watch.
    refreshAfterHold_ = dauertimer->isEnabled() || refreshAfterHold_;
    dauertimer->setEnabled(false);
    // The repeater's one tick frees the window when the last code is out.
    heldKeyOnLine_ = true;
    Timer3->setEnabled(false);
    Timer3->setInterval(times * 100);
    Timer3->setEnabled(true);
}

void Form1::Timer3_Timer()
{
    if (std::exchange(heldKeyOnLine_, false)) {
        Timer3->setEnabled(false);
        Timer3->setInterval(200);
        if (std::exchange(refreshAfterHold_, false))
            dauertimer->setEnabled(true);
        setFormEnabled(true);
        warten->hide();
        return;
    }
    setFormEnabled(false);
    warten->show();
    toLine(repeatCode.toLatin1());
    ++repeatCount;
    if (repeatCount >= repeatLimit) {
        Timer3->setEnabled(false);
        setFormEnabled(true);
        warten->hide();
    }
}

void Form1::Command1_Click()
{
    requestStatus();
    Pause(3.0f);
}
