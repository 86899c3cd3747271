#include "ui/widgets.h"

#include <QMouseEvent>

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
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
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

TextBox::TextBox(const QString &text, QWidget *parent, QColor back, QColor fore)
    : QLineEdit(text, parent), colours_(this, QPalette::Base, QPalette::Text, back, fore)
{
    setFrame(false);
}

void TextBox::mousePressEvent(QMouseEvent *e)
{
    QLineEdit::mousePressEvent(e);
    if (e->button() == Qt::LeftButton)
        Q_EMIT clicked();
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
    pointerDown_ = true;
    QSlider::mousePressEvent(e);
}

void LevelSlider::mouseReleaseEvent(QMouseEvent *e)
{
    QSlider::mouseReleaseEvent(e);
    if (pointerDown_) {
        pointerDown_ = false;
        Q_EMIT pointerActionDone();
    }
}
