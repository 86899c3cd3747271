#include "ui/widgets.h"

#include "ui/layout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

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
        // Cut in the middle: names that share their beginning ("Deutschlandfunk
        // Kultur", "Deutschlandfunk MW") still differ on their keys.
        r.shown = fm.elidedText(text, Qt::ElideMiddle, box.width());
        r.changed = true;
    }
    return r;
}

// The box a caption is drawn in: a little air at the sides.
QRect captionBox(const QRect &face)
{
    return face.width() > 24 ? face.adjusted(2, 0, -2, 0) : face;
}

// The frame a focused key or read-out wears, readable on any face colour.
void drawFocusFrame(QPainter &p, const QRect &face, const QColor &back)
{
    // Amber on dark faces, blue on light ones, each lined with a thin ring
    // of the opposite lightness so that it reads on red and green as well.
    const bool light = back.lightnessF() > 0.55;
    const QColor ring = light ? QColor(0, 70, 200) : QColor(255, 214, 0);
    const QColor line = light ? QColor(255, 255, 255) : QColor(0, 0, 0);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ring, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(face).adjusted(1, 1, -1, -1));
    p.setPen(QPen(line, 1));
    p.drawRect(QRectF(face).adjusted(2.5, 2.5, -2.5, -2.5));
    p.restore();
}

// Draws a caption into a box: a caption that does not fit takes a smaller
// font, down to a size still readable, and is then cut at its end with "…".
// Returns false when the caption had to be changed to fit.
bool drawFittedText(QPainter &p, const QRect &box, const QString &text, QFont font, Qt::Alignment align)
{
    const Fitted f = fitText(box, text, font);
    p.setFont(f.font);
    p.drawText(box, int(align), f.shown);
    return !f.changed;
}

// Relative luminance and contrast ratio as WCAG defines them.
double luminance(const QColor &c)
{
    auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour a caption is painted in. The face colours are state and
// stay; a caption that would read poorly on its face (black on the green
// of a lit key, white on the red of the advertising key) is painted in
// black or white instead, whichever reads better.
QColor readableCaption(const QColor &fore, const QColor &back)
{
    constexpr double kMinContrast = 4.5;
    if (contrast(fore, back) >= kMinContrast)
        return fore;
    const QColor black(0, 0, 0), white(255, 255, 255);
    return contrast(black, back) >= contrast(white, back) ? black : white;
}

// The edge of a dark key on the dark window: 4.4:1 against the window,
// 6:1 against a black face, so that a key can be seen as one.
const QColor kKeyEdge(140, 140, 140);

// Paints a key's face with its fitted caption, and the focus frame when it
// shows. The caption is the tooltip when it had to be changed to fit, or
// always when `alwaysTip`; a note of the control's own goes first. A key
// lit in a colour too close to its unlit white (silver: 1.8:1) wears a
// black frame as well, so that its state shows at 3:1 and more.
void paintFace(QWidget *w, const QRect &face, const ControlColours &c, const QString &text, Qt::Alignment align,
               bool alwaysTip, const QString &note = QString(), bool isKey = false, bool lit = false)
{
    QPainter p(w);
    p.fillRect(face, c.back());
    if (isKey && luminance(c.back()) < 0.05) {
        p.setPen(QPen(kKeyEdge, 1));
        p.drawRect(QRectF(face).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    if (isKey && lit && contrast(c.back(), colours::white) < 3.0) {
        const qreal width = std::max(2.0, std::round(2 * ui::zoom()));
        p.setPen(QPen(colours::black, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(face).adjusted(width / 2, width / 2, -width / 2, -width / 2));
    }
    p.setPen(readableCaption(c.fore(), c.back()));
    const bool fits = drawFittedText(p, captionBox(face), text, w->font(), align);
    if (showsFocus(w))
        drawFocusFrame(p, face, c.back());
    const QString tip = !note.isEmpty() ? note : (alwaysTip || !fits) ? text : QString();
    if (w->toolTip() != tip)
        w->setToolTip(tip);
}

}  // namespace

bool showsFocus(const QWidget *w)
{
    // From the start: a keyboard user must see where the keys will act.
    // (Keys take no focus from a click, so a mouse user rarely meets it.)
    return w->hasFocus();
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

namespace {

// What a key is to assistive technology: a push button with a press
// action. A key whose colour is its on/off state is a check box, the one
// role with an on state that screen readers speak (Qt has no toggle button
// role to offer them).
class KeyAccessible : public QAccessibleWidget {
public:
    explicit KeyAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Button) {}

    KeyLabel *key() const { return static_cast<KeyLabel *>(widget()); }
    QAccessible::Role role() const override
    {
        return key()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    }
    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = key()->text();
        return s;
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.checkable = key()->isCheckable();
        st.checked = key()->isChecked();
        st.pressed = key()->isDown();
        return st;
    }
    QStringList actionNames() const override
    {
        return key()->isCheckable() ? QStringList{pressAction(), toggleAction()} : QStringList{pressAction()};
    }
    void doAction(const QString &name) override
    {
        if ((name == pressAction() || name == toggleAction()) && key()->isEnabled())
            key()->click();
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }
};

// A control whose text can only be read: for controls whose value
// screen readers look for as text (and that Qt tells them about as text).
class ReadOnlyText : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    using QAccessibleWidget::QAccessibleWidget;
    virtual QString shownText() const = 0;

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(int start, int end) const override { return shownText().mid(start, end - start); }
    int characterCount() const override { return int(shownText().size()); }
    // One short line: any unit but a character is the whole of it.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        const QString t = shownText();
        if (type == QAccessible::CharBoundary) {
            *start = std::clamp(offset, 0, int(t.size()));
            *end = std::min(*start + 1, int(t.size()));
        } else {
            *start = 0;
            *end = int(t.size());
        }
        return t.mid(*start, *end - *start);
    }
    QString textBeforeOffset(int, QAccessible::TextBoundaryType, int *start, int *end) const override
    {
        *start = *end = 0;
        return QString();
    }
    QString textAfterOffset(int, QAccessible::TextBoundaryType, int *start, int *end) const override
    {
        *start = *end = characterCount();
        return QString();
    }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    // One run without attributes over the whole text.
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return QString();
    }
};

// A read-out's number as it is said: "000" is "0", "-04" is "-4"; a
// speech synthesizer reads each zero of the device's figures.
QString spokenNumber(const QString &shown)
{
    bool ok = false;
    const int n = shown.trimmed().toInt(&ok);
    return ok ? QString::number(n) : shown;
}

// A read-out that is a key: named by its level and the value it shows, so
// that a screen reader speaks the new value when a press sets the middle.
class ReadOutKeyAccessible : public ReadOnlyText {
public:
    explicit ReadOutKeyAccessible(QWidget *w) : ReadOnlyText(w, QAccessible::Button) {}

    TextBox *box() const { return static_cast<TextBox *>(widget()); }
    QString shownText() const override { return box()->text(); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return box()->accessibleName() + QLatin1Char(' ') + spokenNumber(box()->text());
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && box()->isEnabled())
            Q_EMIT box()->clicked();
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }
};

// A list of fixed entries: named by what it chooses, with the entry shown
// as its value and as its text, where screen readers look for it (Qt names
// a list on Linux by its entry, and has no text for it).
class ChoiceAccessible : public ReadOnlyText {
public:
    explicit ChoiceAccessible(QWidget *w) : ReadOnlyText(w, QAccessible::ComboBox) {}

    ChoiceBox *box() const { return static_cast<ChoiceBox *>(widget()); }
    QString shownText() const override { return box()->currentText(); }
    int cursorPosition() const override { return box()->entryCursor(); }
    // An entry is read whole, even by the character: a screen reader reads
    // the character at the cursor after Home and End, and "3" of "23" is
    // no hour.
    QString textAtOffset(int, QAccessible::TextBoundaryType, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return shownText();
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        if (t == QAccessible::Name && box()->accessibleName().isEmpty())
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString &name) override
    {
        if (name == showMenuAction() && box()->isEnabled())
            box()->showPopup();
    }
};

// The progress of a long run, in per cent.
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}

    ProgressLine *line() const { return static_cast<ProgressLine *>(widget()); }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return line()->text();
        if (t == QAccessible::Value)
            return QString::number(line()->percent()) + QLatin1Char('%');
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return line()->percent(); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

// A group of controls: a panel, not a window of its own (Qt presents a
// plain frame with the role screen readers give top-level windows, and
// they then drop the focus events inside it).
class PanelAccessible : public QAccessibleWidget {
public:
    explicit PanelAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Pane) {}
};

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Window) {}

    QList<QWidget *> shownChildren() const
    {
        QList<QWidget *> l;
        for (QObject *o : widget()->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w && !w->isWindow() && !w->property("offTree").toBool())
                l << w;
        }
        return l;
    }
    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> l = shownChildren();
        return index >= 0 && index < l.size() ? QAccessible::queryAccessibleInterface(l.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object() || !child->object()->isWidgetType())
            return -1;
        return int(shownChildren().indexOf(static_cast<QWidget *>(child->object())));
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.busy = widget()->property("busy").toBool();
        return st;
    }
};

QAccessibleInterface *keyAccessibleFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *w = static_cast<QWidget *>(object);
    if (className == QLatin1String("KeyLabel"))
        return new KeyAccessible(w);
    if (className == QLatin1String("ReadOutKey"))
        return new ReadOutKeyAccessible(w);
    if (className == QLatin1String("ChoiceBox"))
        return new ChoiceAccessible(w);
    if (className == QLatin1String("ProgressLine"))
        return new ProgressAccessible(w);
    if (className == QLatin1String("QFrame"))
        return new PanelAccessible(w);
    if (className == QLatin1String("Notice"))
        return new QAccessibleWidget(w, QAccessible::Notification);
    return nullptr;
}

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(keyAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace

KeyLabel::KeyLabel(const QString &caption, QWidget *parent, QColor back, QColor fore)
    : QAbstractButton(parent), colours_(this, QPalette::Button, QPalette::ButtonText, back, fore)
{
    installFactory();
    setText(caption);
    // The face is painted here; around it the parent shows through.
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    // Tab reaches it; a click does not move the focus away from where the
    // keyboard user left it.
    setFocusPolicy(Qt::TabFocus);
}

void KeyLabel::setBackColor(const QColor &c)
{
    colours_.setBack(c);
    syncChecked();
}

void KeyLabel::setOnColour(const QColor &on)
{
    onColour_ = on;
    setCheckable(true);
    syncChecked();
}

void KeyLabel::syncChecked()
{
    // setChecked tells assistive technology when the state changes.
    if (isCheckable() && isChecked() != (colours_.back() == onColour_))
        setChecked(colours_.back() == onColour_);
}

void KeyLabel::setText(const QString &caption)
{
    const bool changed = caption != text();
    QAbstractButton::setText(caption);
    // A station called "R&B" must not make Alt+B tune it.
    setShortcut(QKeySequence());
    // A key without caption is named as empty; a caption of its own takes
    // that name away again, but a name given for the caption stays.
    if (caption.isEmpty())
        setAccessibleName(emptyName_);
    else if (!emptyName_.isEmpty() && accessibleName() == emptyName_)
        setAccessibleName(QString());
    update();
    if (changed)
        Q_EMIT captionChanged(caption);
}

void KeyLabel::setEmptyName(const QString &name)
{
    emptyName_ = name;
    setText(text());
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
    paintFace(this, face(), colours_, text(), Qt::AlignCenter, alwaysTip_, QString(), true, isChecked());
}

void KeyLabel::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click does nothing more: the first
    // click has run the key already.
    e->accept();
}

void KeyLabel::keyPressEvent(QKeyEvent *e)
{
    // Space is the button's own; Enter works as well, once per press.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat())
            click();
        e->accept();
        return;
    }
    QAbstractButton::keyPressEvent(e);
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

void TextBox::setActsAsKey(bool on)
{
    actsAsKey_ = on;
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TextBox::keyPressEvent(QKeyEvent *e)
{
    const bool press = e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (actsAsKey_ && press && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat())
            Q_EMIT clicked();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TextBox::paintEvent(QPaintEvent *)
{
    paintFace(this, rect(), colours_, text(), alignment(), false, note_);
}

void TextBox::setNote(const QString &note)
{
    if (note == note_)
        return;
    note_ = note;
    setToolTip(note);
    update();  // the caption's own tooltip comes back with the next paint
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

ReadOutKey::ReadOutKey(const QString &text, QWidget *parent) : TextBox(text, parent)
{
    installFactory();
    setActsAsKey(true);
    // The name carries the value: a new value is a new name.
    connect(this, &QLineEdit::textChanged, this, [this] {
        QAccessibleEvent e(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&e);
    });
}

void ProgressLine::setProgress(const QString &text, double done)
{
    installFactory();
    setText(text);
    if (text.isEmpty()) {
        percent_ = -1;
        return;
    }
    const int percent = int(std::clamp(done, 0.0, 1.0) * 100.0);
    if (percent != percent_) {
        percent_ = percent;
        QAccessibleValueChangeEvent e(this, percent);
        QAccessible::updateAccessibility(&e);
    }
}

QAccessibleInterface *windowAccessible(QWidget *window)
{
    installFactory();
    return new WindowAccessible(window);
}

void announceBusy(QWidget *window, bool busy)
{
    window->setProperty("busy", busy);
    QAccessible::State changed;
    changed.busy = true;
    QAccessibleStateChangeEvent e(window, changed);
    QAccessible::updateAccessibility(&e);
}

ChoiceBox::ChoiceBox(QWidget *parent) : QComboBox(parent)
{
    installFactory();
}

void ChoiceBox::keyPressEvent(QKeyEvent *e)
{
    const int before = currentIndex();
    QComboBox::keyPressEvent(e);
    // Only a key's choice: entries filled in as the list takes the focus
    // must not move the screen reader before the focus does.
    if (currentIndex() != before) {
        entryCursor_ ^= 1;  // every entry is two characters or more
        QAccessibleTextCursorEvent ev(this, entryCursor_);
        QAccessible::updateAccessibility(&ev);
    }
}

Notice::Notice(QWidget *parent) : QWidget(parent)
{
    installFactory();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void Notice::say(const QString &text)
{
    if (isVisible() && accessibleName() == text)
        return;
    announce(text);
}

void Notice::announce(const QString &text)
{
    // A notification is spoken as it appears: out again for a new text.
    hide();
    setAccessibleName(text);
    show();
}

FocusRing::FocusRing(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setProperty("offTree", true);
    hide();
}

void FocusRing::follow(QWidget *focused)
{
    QWidget *window = parentWidget();
    // Keys and read-outs draw their own frame on their face.
    const bool own = qobject_cast<KeyLabel *>(focused) || qobject_cast<TextBox *>(focused);
    if (!focused || own || !window->isAncestorOf(focused) || !focused->isVisibleTo(window)) {
        hide();
        return;
    }
    const int m = kMargin;
    setGeometry(QRect(focused->mapTo(window, QPoint(0, 0)), focused->size()).adjusted(-m, -m, m, m));
    raise();
    show();
    update();
}

void FocusRing::paintEvent(QPaintEvent *)
{
    // Amber on the dark window (10:1), lined in black towards the control.
    QPainter p(this);
    p.setPen(QPen(QColor(255, 214, 0), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.setPen(QPen(colours::black, 1));
    p.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
}
