#include "desktop/port_choice.h"

#include "desktop/settings.h"
#include "ui/layout.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace desktop {

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

PortChoice::PortChoice(model::Door &door, Settings &settings, std::function<QList<platform::SystemPort>()> listPorts,
                       QString programDir, QWidget *parent)
    : ChoiceBox(parent), door_(door), settings_(settings), listPorts_(std::move(listPorts)),
      programDir_(std::move(programDir))
{
    setObjectName(QStringLiteral("portChoice"));
    // Named by what it chooses; the entry is its value.
    setAccessibleName(QCoreApplication::translate("PortChoice", "Anschluss"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    refresh();
    connect(this, &QComboBox::activated, this, &PortChoice::choose);
    // A port chosen elsewhere, or one that went away, shows here too.
    connect(&door_.model(), &model::HifiModel::linkChanged, this, [this] { refresh(); });
}

void PortChoice::refresh(bool readSystem)
{
    if (readSystem)
        system_ = listPorts_();
    const model::Link &link = door_.model().link();
    if (!link.device.isEmpty() && !used_.contains(link.device))
        used_.append(link.device);
    const QList<PortEntry> entries = portEntries(link.portNumber, programDir_, system_, used_);
    clear();
    int selected = 0;
    for (const PortEntry &e : entries) {
        if (e.device == link.device)
            selected = count();
        addItem(e.label, e.device);
        setItemData(count() - 1, e.label, Qt::ToolTipRole);
    }
    setCurrentIndex(selected);
    setToolTip(currentText() + u'\n' + model::linkText(link));
}

void PortChoice::showPopup()
{
    refresh(true);
    // The entries are longer than the box: the list takes the room it needs.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}

void PortChoice::focusInEvent(QFocusEvent *e)
{
    refresh(true);
    QComboBox::focusInEvent(e);
}

void PortChoice::choose(int index)
{
    if (index < 0 || index >= count())
        return;
    const QString device = itemData(index).toString();
    door_.choosePort(device, [this, device](bool ran) {
        const model::Link &link = door_.model().link();
        if (ran && link.open && link.device == device)
            settings_.setDevice(device);
        refresh();
    });
}

PortChoice *addPortChoice(model::Door &door, Settings &settings, const platform::Platform &platform, QWidget *place)
{
    auto *caption = new QLabel(QCoreApplication::translate("PortChoice", "Port"), place);
    caption->setObjectName(QStringLiteral("LabelPort"));
    // White on the window's dark face, as the window's own captions.
    QPalette pal = caption->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(pal);
    ui::place(caption, 0, 0, 1815, 195);
    // The caption says how the line stands, where the user looks for it.
    auto showLink = [caption, d = &door] {
        const model::Link &link = d->model().link();
        caption->setText(!link.open       ? QCoreApplication::translate("PortChoice", "Port – nicht offen")
                         : link.answering ? QCoreApplication::translate("PortChoice", "Port – antwortet")
                                          : QCoreApplication::translate("PortChoice", "Port – offen"));
        caption->setToolTip(model::linkText(link));
    };
    showLink();
    QObject::connect(&door.model(), &model::HifiModel::linkChanged, caption, showLink);
    auto *choice = new PortChoice(door, settings, platform.listPorts, platform.programDir, place);
    ui::place(choice, 0, 225, 1815, 330);
    caption->setBuddy(choice);
    return choice;
}

}  // namespace desktop
