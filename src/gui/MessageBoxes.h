#pragma once

#include <functional>
#include <string>

#include <QString>

class QWidget;

namespace tavrel {

struct ProgramState;

// A message box with an "OK" button only, no icon, the program's title as its
// caption. Blocks until closed, unless the state's messageHook answers it.
void showMessage(ProgramState& state, QWidget* parent, const QString& text);

// The same before any ProgramState exists (a registry file that was refused).
void showMessage(const std::function<void(const std::string&, const std::string&)>& hook, QWidget* parent,
                 const QString& text);

} // namespace tavrel

namespace tavrel {

class RegFileStore;

// Loads the registry file; when it is refused, says which file, which line
// and why, and returns false: the program then ends without writing.
bool loadRegistryFile(RegFileStore& store,
                      const std::function<void(const std::string&, const std::string&)>& hook = {});

} // namespace tavrel
