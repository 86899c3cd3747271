#include "ui/widgets.h"

#include <QMouseEvent>

namespace {
// Colours go into every colour group, so that a disabled window never paints
// a control grey. A palette rather than a style sheet keeps the font alone.
void setColours(QWidget *w, QPalette::ColorRole backRole, QPalette::ColorRole foreRole, const QColor &back,
                const QColor &fore)
{
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, backRole, back);
        pal.setColor(group, foreRole, fore);
    }
    w->setPalette(pal);
}
}  // namespace

KeyLabel::KeyLabel(const QString &caption, QWidget *parent, QColor back, QColor fore)
    : QLabel(caption, parent), back_(back), fore_(fore)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    applyColours();
}

void KeyLabel::setBackColor(const QColor &c)
{
    if (c == back_)
        return;
    back_ = c;
    applyColours();
}

void KeyLabel::setForeColor(const QColor &c)
{
    if (c == fore_)
        return;
    fore_ = c;
    applyColours();
}

void KeyLabel::applyColours()
{
    setColours(this, QPalette::Window, QPalette::WindowText, back_, fore_);
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
    : QLineEdit(text, parent), back_(back), fore_(fore)
{
    setFrame(false);
    applyColours();
}

void TextBox::setForeColor(const QColor &c)
{
    if (c == fore_)
        return;
    fore_ = c;
    applyColours();
}

void TextBox::applyColours()
{
    setColours(this, QPalette::Base, QPalette::Text, back_, fore_);
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
