#include "ui/widgets.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

// Below this a caption is no longer comfortable to read.
constexpr int kMinCaptionPixels = 7;

struct Fitted {
    QFont font;
    QString shown;
    bool changed = false;
};

Fitted fitText(const QRect &box, const QString &text, QFont font)
{
    Fitted r{font, text, false};
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    QFontMetrics fm(font);
    while (fm.horizontalAdvance(text) > box.width() && size > kMinCaptionPixels) {
        font.setPixelSize(--size);
        fm = QFontMetrics(font);
        r.changed = true;
    }
    r.font = font;
    if (fm.horizontalAdvance(text) > box.width()) {
        r.shown = fm.elidedText(text, Qt::ElideRight, box.width());
        r.changed = true;
    }
    return r;
}

// The box a caption is drawn in: a little air at the sides.
QRect captionBox(const QRect &face)
{
    return face.width() > 24 ? face.adjusted(2, 0, -2, 0) : face;
}

}  // namespace

bool drawFittedText(QPainter &p, const QRect &box, const QString &text, QFont font, Qt::Alignment align)
{
    const Fitted f = fitText(box, text, font);
    p.setFont(f.font);
    p.drawText(box, int(align), f.shown);
    return !f.changed;
}

ControlColours::ControlColours(QWidget *w, QPalette::ColorRole backRole, QPalette::ColorRole foreRole,
                               QColor back, QColor fore)
    : w_(w), backRole_(backRole), foreRole_(foreRole), back_(back), fore_(fore)
{
    apply();
}

void ControlColours::setBack(const QColor &c)
{
    if (c != back_) {
        back_ = c;
        apply();
    }
}

void ControlColours::setFore(const QColor &c)
{
    if (c != fore_) {
        fore_ = c;
        apply();
    }
}

void ControlColours::apply()
{
    // A palette rather than a style sheet keeps the font alone.
    QPalette pal = w_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, backRole_, back_);
        pal.setColor(group, foreRole_, fore_);
    }
    w_->setPalette(pal);
}

KeyLabel::KeyLabel(const QString &caption, QWidget *parent, QColor back, QColor fore)
    : QLabel(caption, parent), colours_(this, QPalette::Window, QPalette::WindowText, back, fore)
{
    setAlignment(Qt::AlignCenter);
    // The face is painted here; around it the parent shows through.
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
}

void KeyLabel::setFace(const QRect &face)
{
    face_ = face;
    update();
}

void KeyLabel::setAlwaysTipCaption(bool on)
{
    alwaysTip_ = on;
    update();
}

void KeyLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect f = face();
    p.fillRect(f, colours_.back());
    p.setPen(colours_.fore());
    const bool fits = drawFittedText(p, captionBox(f), text(), font(), alignment());
    // A caption shown smaller or cut is there in full when the pointer rests.
    const QString tip = (alwaysTip_ || !fits) ? text() : QString();
    if (toolTip() != tip)
        setToolTip(tip);
}

void KeyLabel::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
    QLabel::mousePressEvent(e);
}

void KeyLabel::mouseReleaseEvent(QMouseEvent *e)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    QLabel::mouseReleaseEvent(e);
    if (wasPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
}

void KeyLabel::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click does nothing more: the first
    // click has run the key already.
    e->accept();
}

TextBox::TextBox(const QString &text, QWidget *parent, QColor back, QColor fore)
    : QLineEdit(text, parent), colours_(this, QPalette::Base, QPalette::Text, back, fore)
{
    setFrame(false);
    // The program writes these boxes; a typed character must never land in
    // them (the source display's text decides what "fm" does).
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void TextBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), colours_.back());
    p.setPen(colours_.fore());
    const bool fits = drawFittedText(p, captionBox(rect()), text(), font(), alignment());
    const QString tip = fits ? QString() : text();
    if (toolTip() != tip)
        setToolTip(tip);
}

void TextBox::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    if (e->button() == Qt::LeftButton)
        Q_EMIT clicked();
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept();
}

LevelSlider::LevelSlider(int min, int max, int value, QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(min, max);
    setValue(value);
    setPageStep(5);
}

void LevelSlider::mousePressEvent(QMouseEvent *e)
{
    if (!pointerDown_)
        valueAtPress_ = value();
    pointerDown_ = true;
    abandoned_ = false;
    QSlider::mousePressEvent(e);
}

void LevelSlider::mouseReleaseEvent(QMouseEvent *e)
{
    QSlider::mouseReleaseEvent(e);
    if (!pointerDown_)
        return;
    pointerDown_ = false;
    if (abandoned_) {
        abandoned_ = false;
        setValue(valueAtPress_);
        return;
    }
    Q_EMIT pointerActionDone();
}

void LevelSlider::abandonPointerAction()
{
    if (pointerDown_)
        abandoned_ = true;
}

void LevelSlider::mouseDoubleClickEvent(QMouseEvent *e)
{
    // One action per double click: bass and treble would send their whole
    // sequence again.
    e->accept();
}

void LevelSlider::wheelEvent(QWheelEvent *e)
{
    const int before = value();
    QSlider::wheelEvent(e);
    if (value() != before)
        Q_EMIT movedByUser();
}

void LevelSlider::keyPressEvent(QKeyEvent *e)
{
    const int before = value();
    QSlider::keyPressEvent(e);
    if (value() != before)
        Q_EMIT movedByUser();
}
