// The nine source keys. The same procedure runs for a click, for the source
// the device reports in its status dump, and for the station keys that need
// the tuner on the right band first.

#include "amp/level_value.h"
#include "store/frequency.h"
#include "ui/form1.h"

namespace {

// Station key display modes cycle 1 -> 2 -> 3 -> 1.
constexpr long long kLastStationKeyMode = 3;

}  // namespace

void Form1::Quelle_Click(int index)
{
    // A control that goes with its panel leaves the focus on the source
    // key that took the panel away, not wherever Qt would put it next.
    struct FocusKeeper {
        Form1 *form;
        QWidget *before;
        int index;
        ~FocusKeeper()
        {
            if (index >= 0 && index < 9)
                form->keepFocusInView(before, form->Quelle[size_t(index)]);
        }
    } keeper{this, focusWidget(), index};
    // The periodic refresh starts its 30 s anew.
    dauertimer->setEnabled(false);
    dauertimer->setEnabled(true);

    nameA->setText(QStringLiteral("---"));
    frequenzA->setText(QStringLiteral("---"));
    Frame3->setVisible(true);
    for (QWidget *w : std::initializer_list<QWidget *>{nameA, frequenzA, tunerpanel1, tunerpanel2, tapepanel1,
                                                       tapepanel2, phonopanel, configpanel1, configpanel2,
                                                       configpanel3, cdpanel, cdpanel2, portPanel})
        w->setVisible(false);
    for (KeyLabel *k : Quelle)
        k->setBackColor(colours::black);

    auto showTuner = [this] {
        tunerpanel1->setVisible(true);
        tunerpanel2->setVisible(true);
        nameA->setVisible(true);
        frequenzA->setVisible(true);
    };

    switch (index) {
    case 0:
        writeCode(cmd::SourceTv);
        quelA->setText(QStringLiteral("TV"));
        hifi_.setSource(model::Source::Tv);
        Quelle[0]->setBackColor(colours::green);
        break;
    case 1:
        if (quelA->text() == QLatin1String("FM")) {
            // "fm" again: nothing goes to the device, the keys change their labels.
            long long mode = 1;
            try {
                mode = amp::wholeLevel(stationKeyMode) + 1;
            } catch (const store::ConversionError &) {
                // A mode that is no number starts the cycle again.
            }
            if (mode > kLastStationKeyMode || mode < 1)
                mode = 1;
            // A station list that fails to load leaves the keys, and so the
            // mode that is saved, as they were.
            const QVariant shown = stationKeyMode;
            stationKeyMode = int(mode);
            if (!refreshStationKeys())
                stationKeyMode = shown;
            quelA->setText(QStringLiteral("FM"));
            tunerBand = QStringLiteral("FM");
            hifi_.setSource(model::Source::Fm);
            hifi_.setBand(tunerBand);
            showTuner();
            Quelle[1]->setBackColor(colours::green);
            break;
        }
        writeCode(cmd::SourceTuner);
        writeCode(cmd::TunerFm);
        Quelle[1]->setBackColor(colours::green);
        if (tunerBand == QLatin1String("AM")) {
            // The remembered station belongs to the other band.
            currentFrequency = QStringLiteral("");
            hifi_.setStation({});
            Pause(0.5f);
            requestStatus();
        }
        quelA->setText(QStringLiteral("FM"));
        tunerBand = QStringLiteral("FM");
        hifi_.setSource(model::Source::Fm);
        hifi_.setBand(tunerBand);
        showTuner();
        showStation(currentFrequency);
        break;
    case 2:
        writeCode(cmd::SourceTuner);
        Quelle[2]->setBackColor(colours::green);
        if (tunerBand == QLatin1String("FM")) {
            currentFrequency = QStringLiteral("");
            hifi_.setStation({});
            Pause(0.5f);
            requestStatus();
        }
        quelA->setText(QStringLiteral("AM"));
        tunerBand = QStringLiteral("AM");
        hifi_.setSource(model::Source::Am);
        hifi_.setBand(tunerBand);
        showTuner();
        showStation(currentFrequency);
        break;
    case 3:
    case 4:
        writeCode(index == 3 ? cmd::SourceTape1 : cmd::SourceTape2);
        quelA->setText(index == 3 ? QStringLiteral("Tape 1") : QStringLiteral("Tape 2"));
        hifi_.setSource(index == 3 ? model::Source::Tape1 : model::Source::Tape2);
        Quelle[index]->setBackColor(colours::green);
        tapepanel1->setVisible(true);
        tapepanel2->setVisible(true);
        break;
    case 5:
        writeCode(cmd::SourcePhono);
        quelA->setText(QStringLiteral("Phono"));
        hifi_.setSource(model::Source::Phono);
        Quelle[5]->setBackColor(colours::green);
        phonopanel->setVisible(true);
        break;
    case 6:
        writeCode(cmd::SourceCd);
        quelA->setText(QStringLiteral("CD"));
        hifi_.setSource(model::Source::Cd);
        Quelle[6]->setBackColor(colours::green);
        cdpanel->setVisible(true);
        cdpanel2->setVisible(true);
        break;
    case 7:
        quelA->setText(QStringLiteral("config"));
        vergroessern_Click();
        configpanel1->setVisible(true);
        configpanel2->setVisible(true);
        configpanel3->setVisible(true);
        portPanel->setVisible(true);
        Quelle[7]->setBackColor(colours::green);
        break;
    case 8:
        writeCode(cmd::PowerOff);
        quelA->setText(QStringLiteral("OFF"));
        hifi_.setSource(model::Source::Off);
        Quelle[8]->setBackColor(colours::green);
        break;
    default:
        // No such source: everything stays hidden and no key is lit.
        break;
    }
}
