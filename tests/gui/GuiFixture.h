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
#include "support/RegistryFixture.h"

namespace tavrel::test {

// A registry file and a program state whose message boxes are answered at
// once and remembered.
struct GuiFixture : RegistryFixture {
    explicit GuiFixture(std::string_view regFileBytes) : RegistryFixture(regFileBytes)
    {
        state->messageHook = [this](const std::string& caption, const std::string& text) {
            messages.push_back({caption, text});
        };
    }
    ~GuiFixture()
    {
        delete main.data();
        QApplication::processEvents();
    }

    Mainfrm* start()
    {
        main = Mainfrm::start(*state);
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

    struct Message {
        std::string caption;
        std::string text;
    };
    std::vector<Message> messages;
    QPointer<Mainfrm> main;
};

// A Creative GeForceDDR under "0000" with its clocks in DEFAULT.
std::string oneAdapterRegistry(std::string_view defaultValues = "\"MemClock\"=dword:0000012c\n\"GrfxClock\"=dword:00000078\n");

// Drags a slider's handle with the mouse to the given value.
void dragSlider(QSlider* slider, int value);

} // namespace tavrel::test
