#include "MessageBoxes.h"

#include <QMessageBox>

#include "ProgramState.h"

namespace tavrel {

void showMessage(const std::function<void(const std::string&, const std::string&)>& hook, QWidget* parent,
                 const QString& text)
{
    const QString caption = QStringLiteral("Tavrel");
    if (hook) {
        hook(caption.toStdString(), text.toStdString());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void showMessage(ProgramState& state, QWidget* parent, const QString& text)
{
    showMessage(state.messageHook, parent, text);
}

} // namespace tavrel

#include "registry/RegFileStore.h"

namespace tavrel {

bool loadRegistryFile(RegFileStore& store, const std::function<void(const std::string&, const std::string&)>& hook)
{
    if (store.load())
        return true;
    showMessage(hook, nullptr,
                QStringLiteral("Tavrel cannot use its registry file, so it will end without changing anything.\n\n")
                    + QString::fromStdString(store.loadError().message()));
    return false;
}

} // namespace tavrel
