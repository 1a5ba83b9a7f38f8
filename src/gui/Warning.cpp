#include "Warning.h"

#include <QGuiApplication>
#include <QScreen>

#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "Mainfrm.h"
#include "ProgramState.h"
#include "ui_Warning.h"

namespace tavrel {

Warning::Warning(ProgramState& state, Mainfrm* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , main_(mainWindow)
    , ui(std::make_unique<Ui::Warning>())
    , AdapterChoice(kCardGeForce)
{
    ui->setupUi(this);
    // A top-level window of its own: it outlives the main window if the
    // user closes that first.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    connect(ui->Option1, &QRadioButton::clicked, this, &Warning::Option1_Click);
    connect(ui->Option2, &QRadioButton::clicked, this, &Warning::Option2_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &Warning::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Warning::Command2_Click);
}

Warning::~Warning() = default;

void Warning::Option1_Click() { AdapterChoice = kCardGeForce; }

void Warning::Option2_Click() { AdapterChoice = kCardTNT2Ultra; }

void Warning::Command1_Click()
{
    // The main window must show the adapter its "OK" writes to.
    if (ApplyAdapterChoice(state_, AdapterChoice) && main_)
        main_->showAdapter();
    close();
}

void Warning::Command2_Click() { close(); }

} // namespace tavrel
