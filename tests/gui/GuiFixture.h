#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <string>
#include <vector>

#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "support/RegistryFixture.h"

namespace tavrel::test {

struct Message {
    std::string text;
};

// Message boxes answered at once and remembered.
struct RecordedMessages : MessageBoxes {
    void show(QWidget*, const QString& text) override { shown.push_back({text.toStdString()}); }
    std::vector<Message> shown;
};

// A registry file and a program state whose message boxes are answered at
// once and remembered.
struct GuiFixture : RegistryFixture {
    explicit GuiFixture(std::string_view regFileBytes) : RegistryFixture(regFileBytes) {}
    ~GuiFixture()
    {
        delete main.data();
        QApplication::processEvents();
    }

    Mainfrm* start()
    {
        main = Mainfrm::start(*state, recorded);
        return main;
    }

    template <typename T>
    T* child(const char* name) const
    {
        T* w = main ? main->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!w)
            throw std::runtime_error(std::string("no control ") + name);
        return w;
    }

    RecordedMessages recorded;
    std::vector<Message>& messages = recorded.shown;
    QPointer<Mainfrm> main;
};

// A Creative GeForceDDR under "0000" with its clocks in DEFAULT.
std::string oneAdapterRegistry(std::string_view defaultValues = "\"MemClock\"=dword:0000012c\n\"GrfxClock\"=dword:00000078\n");

// Drags a slider's handle with the mouse to the given value.
void dragSlider(QSlider* slider, int value);

} // namespace tavrel::test
