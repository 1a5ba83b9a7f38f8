#include "QtForm.h"

#include <algorithm>

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>

#include "AnsiText.h"
#include "Resources.h"

namespace tavrel {

namespace {

// A frame's line runs through the band of its title: a label placed there
// hides it, as a label of the forms is opaque.
constexpr int kFrameTitleBand = 240; // twips

QWidget* makeWidget(const ControlLayout& c, QWidget* parent)
{
    const QString text = fromAnsi(c.text);
    switch (c.kind) {
    case ControlKind::Frame:
        return new QGroupBox(text, parent);
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(c.frame && c.rect.top < kFrameTitleBand);
        return label;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* box = new QLineEdit(text, parent);
        box->setReadOnly(c.kind == ControlKind::ReadOnlyEdit);
        return box;
    }
    case ControlKind::InfoBox: {
        auto* box = new QPlainTextEdit(text, parent);
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->document()->setDocumentMargin(1); // four lines fit the box only with a slim margin
        return box;
    }
    case ControlKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setRange(100, c.sliderMax);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        slider->setTickPosition(QSlider::NoTicks);
        return slider;
    }
    case ControlKind::FirstOption:
    case ControlKind::Option:
        return new QRadioButton(text, parent);
    case ControlKind::Button:
        return new QPushButton(text, parent); // never a default button, as in a plain QWidget
    case ControlKind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setFrameShape(QFrame::Box);
        picture->setAlignment(Qt::AlignCenter);
        return picture;
    }
    }
    return new QWidget(parent);
}

} // namespace

FormWidgets::FormWidgets(QWidget* window, const FormLayout& layout)
    : layout_(layout)
{
    window->setObjectName(QString::fromLatin1(layout.name));
    window->setWindowTitle(QString::fromLatin1(layout.caption));
    window->setFont(layoutFont());
    window->setFixedSize(toPixels(layout.clientWidth), toPixels(layout.clientHeight));
    // Made in the table's order, which is the tab order: Qt chains the
    // focus in the order widgets are made.
    for (const ControlLayout& c : layout.controls)
        make(window, c);
}

void FormWidgets::make(QWidget* window, const ControlLayout& c)
{
    QWidget* parent = c.frame ? controls_.at(c.frame) : window;
    QWidget* w = makeWidget(c, parent);
    w->setObjectName(QString::fromLatin1(c.name));
    w->setGeometry(toPixels(c.rect.left), toPixels(c.rect.top), toPixels(c.rect.width), toPixels(c.rect.height));
    controls_[c.id] = w;
}

void FormWidgets::connectEvents(std::function<bool(int, FormEvent)> handle)
{
    for (const ControlLayout& c : layout_.controls) {
        QWidget* w = controls_.at(c.id);
        const int id = c.id;
        if (auto* slider = qobject_cast<QSlider*>(w)) {
            // Dragging the thumb is Scroll; anything else (a click on the
            // groove, the keyboard, the wheel) is Click.
            QObject::connect(slider, &QSlider::valueChanged, slider,
                [handle, slider, id] { handle(id, slider->isSliderDown() ? FormEvent::Scroll : FormEvent::Click); });
        } else if (auto* box = qobject_cast<QLineEdit*>(w)) {
            QObject::connect(box, &QLineEdit::textChanged, box, [this, handle, id] {
                if (!quiet_)
                    handle(id, FormEvent::Change);
            });
        } else if (qobject_cast<QRadioButton*>(w)) {
            connectOption(id, handle);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            QObject::connect(button, &QPushButton::clicked, button, [handle, id] { handle(id, FormEvent::Click); });
        }
    }
}

void FormWidgets::connectOption(int id, const std::function<bool(int, FormEvent)>& handle)
{
    // Choosing an option by mouse, keyboard or an assistive technology's
    // toggle action checks it; a click on the option already chosen checks
    // nothing but chooses it again. Every click path starts with pressed,
    // which tells the two apart.
    auto* option = control<QRadioButton>(id);
    QObject::connect(option, &QRadioButton::pressed, option, [this, option] { optionWasChecked_ = option->isChecked(); });
    QObject::connect(option, &QRadioButton::toggled, option, [handle, id](bool checked) {
        if (checked)
            handle(id, FormEvent::Click);
    });
    QObject::connect(option, &QRadioButton::clicked, option, [this, handle, id] {
        if (optionWasChecked_)
            handle(id, FormEvent::Click);
    });
}

std::string FormWidgets::text(int id) const
{
    QWidget* w = control(id);
    if (const auto* box = qobject_cast<QLineEdit*>(w))
        return toAnsi(box->text());
    if (const auto* info = qobject_cast<QPlainTextEdit*>(w))
        return toAnsi(info->toPlainText());
    if (const auto* button = qobject_cast<QAbstractButton*>(w))
        return toAnsi(button->text());
    return {};
}

void FormWidgets::setText(int id, const std::string& text)
{
    QWidget* w = control(id);
    const QString shown = fromAnsi(text);
    // The box still tells whoever listens; only the model is spared.
    quiet_ = true;
    if (auto* box = qobject_cast<QLineEdit*>(w))
        box->setText(shown);
    else if (auto* info = qobject_cast<QPlainTextEdit*>(w))
        info->setPlainText(shown);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(shown);
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        frame->setTitle(shown);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(shown);
    quiet_ = false;
}

int FormWidgets::sliderValue(int id) const
{
    return control<QSlider>(id)->value();
}

void FormWidgets::setSliderValue(int id, int value)
{
    auto* slider = control<QSlider>(id);
    const QSignalBlocker blocker(slider);
    slider->setValue(std::clamp(value, slider->minimum(), slider->maximum()));
}

void centreOnScreen(QWidget* w)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - QPoint(w->width() / 2, w->height() / 2));
}

void bringForward(QWidget* w)
{
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace tavrel
