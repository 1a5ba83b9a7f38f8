#include "Warning.h"

#include <QGuiApplication>
#include <QScreen>

#include "ChildWindows.h"
#include "Resources.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "ui_Warning.h"

namespace tavrel {

Warning::Warning(DriverState& state)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , ui(std::make_unique<Ui::Warning>())
    , AdapterChoice(kCardGeForce)
{
    setFont(layoutFont());
    ui->setupUi(this);
    // A top-level window of its own: it outlives the main window if the
    // user closes that first.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    // toggled, not clicked: an assistive technology's toggle action chooses
    // an option without a click.
    connect(ui->Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(ui->Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(ui->Command1, &QPushButton::clicked, this, &Warning::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Warning::Command2_Click);
}

Warning::~Warning() = default;

void Warning::Option1_Click() { AdapterChoice = kCardGeForce; }

void Warning::Option2_Click() { AdapterChoice = kCardTNT2Ultra; }

void Warning::Command1_Click()
{
    if (applyAdapterChoice(state_, AdapterChoice))
        emit adapterChanged();
    close();
}

void Warning::Command2_Click() { close(); }

QWidget* createAdapterChoice(DriverState& state, QWidget* receiver, std::function<void()> adapterChanged)
{
    auto* w = new Warning(state);
    QObject::connect(w, &Warning::adapterChanged, receiver, std::move(adapterChanged));
    return w;
}

} // namespace tavrel
