// The pairing link in the config view: a key that shows the link and its QR
// code, so that a phone's camera opens the page.
#include "web/web_remote.h"

#include "ui/layout.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <qrencode.h>

#include <memory>

namespace web {

namespace {

// The QR code of `text`, `scale` pixels a module, with the quiet zone
// scanners need. Null when it cannot be made.
QImage qrCode(const QByteArray &text, int scale)
{
    std::unique_ptr<QRcode, void (*)(QRcode *)> code(QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M),
                                                     QRcode_free);
    if (!code)
        return {};
    const int n = code->width, quiet = 4;
    QImage img((n + 2 * quiet) * scale, (n + 2 * quiet) * scale, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (code->data[y * n + x] & 1)
                p.fillRect((x + quiet) * scale, (y + quiet) * scale, scale, scale, Qt::black);
    return img;
}

}  // namespace

void WebRemote::showPairingIn(QWidget *place) const
{
    auto *key = new KeyLabel(QStringLiteral("web"), place, colours::white, colours::black);
    key->setObjectName(QStringLiteral("webK"));
    key->setAccessibleName(QCoreApplication::translate("WebRemote", "Web-Fernbedienung: Kopplungslink zeigen"));
    ui::place(key, 0, 585, 600, 195);
    // The home network's status line, if any, moves over beside it.
    if (auto *mqtt = place->findChild<QLabel *>(QStringLiteral("LabelMqtt")))
        ui::place(mqtt, 660, 585, 1155, 195);
    const QString link = this->link();
    QObject::connect(key, &KeyLabel::clicked, key, [key, link] {
        auto *box = new QDialog(key->window());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowTitle(QCoreApplication::translate("WebRemote", "Web-Fernbedienung koppeln"));
        auto *layout = new QVBoxLayout(box);
        auto *hint = new QLabel(QCoreApplication::translate(
            "WebRemote", "Mit der Kamera des Telefons scannen oder den Link im Browser öffnen. "
                         "Wer ihn hat, kann die Anlage bedienen: nur an eigene Geräte geben."));
        hint->setWordWrap(true);
        layout->addWidget(hint);
        auto *picture = new QLabel;
        picture->setPixmap(QPixmap::fromImage(qrCode(link.toUtf8(), 6)));
        picture->setAccessibleName(QCoreApplication::translate("WebRemote", "QR-Code des Kopplungslinks"));
        picture->setAlignment(Qt::AlignCenter);
        layout->addWidget(picture);
        auto *text = new QLineEdit(link);
        text->setReadOnly(true);
        text->setCursorPosition(0);  // the start says where it leads
        text->setAccessibleName(QCoreApplication::translate("WebRemote", "Kopplungslink"));
        layout->addWidget(text);
        auto *copy = new QPushButton(QCoreApplication::translate("WebRemote", "Link kopieren"));
        QObject::connect(copy, &QPushButton::clicked, box, [link] { QApplication::clipboard()->setText(link); });
        layout->addWidget(copy);
        auto *close = new QPushButton(QCoreApplication::translate("WebRemote", "Schließen"));
        close->setDefault(true);
        QObject::connect(close, &QPushButton::clicked, box, &QDialog::close);
        layout->addWidget(close);
        box->show();
        close->setFocus();
    });
}

}  // namespace web
