#pragma once

#include <string>

#include <QString>

class QWidget;

namespace tavrel {

class RegFileStore;

// The program's message boxes: the text, an "OK" button and the program's
// title, blocking until closed. The windows are given one; tests give a
// fake that answers at once, since a modal box would block them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* parent, const QString& text) = 0;
};

// The real boxes.
class QtMessageBoxes final : public MessageBoxes {
public:
    void show(QWidget* parent, const QString& text) override;
};

// Why the program ends when its registry file is refused: `error` names the
// file, the line and the reason.
QString registryRefusedMessage(const std::string& error);

// Loads the registry file; when it is refused, says which file, which line
// and why, and returns false: the program then ends without writing.
bool loadRegistryFile(RegFileStore& store, MessageBoxes& messages);

} // namespace tavrel
