#include "MessageBoxes.h"

#include <QMessageBox>

#include "registry/RegFileStore.h"

namespace tavrel {

void QtMessageBoxes::show(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tavrel"), text, QMessageBox::Ok, parent);
    box.exec();
}

QString registryRefusedMessage(const std::string& error)
{
    return QStringLiteral("Tavrel cannot use its registry file, so it will end without changing anything.\n\n")
        + QString::fromStdString(error);
}

bool loadRegistryFile(RegFileStore& store, MessageBoxes& messages)
{
    if (store.load())
        return true;
    messages.show(nullptr, registryRefusedMessage(store.loadError().message()));
    return false;
}

} // namespace tavrel
