#include "desktop/port_choice.h"

#include "desktop/call_gate.h"
#include "desktop/settings.h"
#include "ui/form1.h"
#include "ui/layout.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace desktop {

namespace {

// The headline; the port's own text, which names the device and the
// system's reason, follows as the details.
const QString kOpenFailed = QStringLiteral("Der Port %1 lässt sich nicht öffnen.");

// Shows and hides the port choice together with a configuration panel.
class FollowPanel : public QObject {
public:
    FollowPanel(QWidget *panel, QList<QWidget *> widgets) : QObject(panel), widgets_(std::move(widgets))
    {
        panel->installEventFilter(this);
        for (QWidget *w : widgets_)
            w->setVisible(panel->isVisible());
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
            for (QWidget *w : widgets_)
                w->setVisible(e->type() == QEvent::Show);
        return false;
    }

private:
    QList<QWidget *> widgets_;
};

}  // namespace

QList<PortEntry> portEntries(int portNumber, const QString &programDir, const QList<platform::SystemPort> &system,
                             const QStringList &used, const QString &byIdDir)
{
    QList<PortEntry> out;
    bool viaLink = false;
    const QString numbered = platform::portDeviceName(portNumber, programDir, &viaLink);
    const QString com = QStringLiteral("COM%1").arg(portNumber);
#ifdef Q_OS_WIN
    out.append({QString(), com});
#else
    out.append({QString(), viaLink ? QStringLiteral("%1 → %2").arg(com, numbered)
                                   : QStringLiteral("%1 (%2)").arg(com, numbered)});
#endif

    // Stable names first: they stay the same whichever USB socket is used.
    QHash<QString, QString> stableName;
    const QFileInfoList links = QDir(byIdDir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot,
                                                             QDir::Name);
    for (const QFileInfo &l : links)
        if (l.isSymLink())
            stableName.insert(l.canonicalFilePath(), l.absoluteFilePath());

    for (const platform::SystemPort &p : system) {
        const QString device = stableName.value(QFileInfo(p.device).canonicalFilePath(), p.device);
        QString label = device;
        if (!p.description.isEmpty())
            label += QStringLiteral(" – ") + p.description;
        out.append({device, label});
    }
    for (const QString &device : used) {
        bool listed = device.isEmpty();
        for (const PortEntry &e : out)
            listed = listed || e.device == device;
        if (!listed)
            out.append({device, device});
    }
    return out;
}

PortChoice::PortChoice(Form1 &form, CallGate &gate, Settings &settings, QWidget *parent)
    : QComboBox(parent), form_(form), gate_(gate), settings_(settings)
{
    setObjectName(QStringLiteral("portChoice"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    refresh();
    connect(this, &QComboBox::activated, this, &PortChoice::choose);
}

void PortChoice::refresh()
{
    const QString current = form_.MSComm1.devicePath();
    if (!current.isEmpty() && !used_.contains(current))
        used_.append(current);
    const QList<PortEntry> entries = portEntries(form_.comPort, form_.plat.programDir, form_.plat.listPorts(), used_);
    clear();
    int selected = 0;
    for (const PortEntry &e : entries) {
        if (e.device == current)
            selected = count();
        addItem(e.label, e.device);
        setItemData(count() - 1, e.label, Qt::ToolTipRole);
    }
    setCurrentIndex(selected);
    setToolTip(currentText());
}

void PortChoice::showPopup()
{
    refresh();
    // The entries are longer than the box: the list takes the room it needs.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}

void PortChoice::choose(int index)
{
    if (index < 0 || index >= count())
        return;
    const QString device = itemData(index).toString();
    platform::SerialPort &port = form_.MSComm1;
    const QString before = port.devicePath();
    if (device == before && port.isOpen())
        return;
    gate_.submit(
        [this, device, before, &port] {
            port.close();
            port.setDevicePath(device);
            if (port.open()) {
                settings_.setDevice(device);
            } else {
                // The old line comes back; the user is told why.
                const QString why = port.errorText();
                port.setDevicePath(before);
                port.open();
                form_.plat.messages->showOk(kOpenFailed.arg(device.isEmpty() ? itemText(0) : device), why);
            }
            // The window follows the device now on the line.
            form_.requestStatus();
        },
        [this](bool) { refresh(); });
}

PortChoice *addPortChoice(Form1 &form, CallGate &gate, Settings &settings)
{
    // The station display's place, which the configuration view leaves empty.
    auto *caption = new QLabel(QStringLiteral("Port"), &form);
    caption->setObjectName(QStringLiteral("LabelPort"));
    caption->setStyleSheet(QStringLiteral("QLabel { color: #ffffff; background: transparent; }"));
    ui::place(caption, 5895, 450, 1815, 195);
    auto *choice = new PortChoice(form, gate, settings, &form);
    ui::place(choice, 5895, 675, 1815, 330);
    new FollowPanel(form.configpanel1, {caption, choice});
    return choice;
}

}  // namespace desktop
