// A fixture that builds the real main window on the offscreen platform over an in-memory
// store and scripted seams, and finds its controls by name.
#pragma once

#include "Fakes.h"
#include "MachineFolder.h"
#include "Main.h"
#include "RecordingLauncher.h"
#include "RegistryFileStore.h"
#include "Services.h"
#include "SettingsAccessor.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace kv::test {

class FormFixture : public ::testing::Test {
protected:
    FormFixture();
    ~FormFixture() override;

    // Builds TForm1 (running FormCreate) over the processor in chosenCpu, or the plain one,
    // and shows it.
    TForm1& createForm();

    template <typename T = QWidget> T* find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }

    // Shows a page of PageControl1, then optionally a nested page of PageControl2.
    void showPage(const char* page, const char* nested = nullptr);

    // From here on the window works on registry.reg, written from what the in-memory store
    // holds now, through calls that a test may fail or watch.
    RegistryFileStore& useRegistryFile(FileCalls calls = {});

    // The window's store: registry.reg once useRegistryFile ran, the in-memory one before.
    SettingsStore& activeStore();

    // Writes a value into the window's store as another program would.
    void putText(RootKey root, const std::string& path, const std::string& name, const std::string& text);
    void putNumber(RootKey root, const std::string& path, const std::string& name, std::int32_t number);
    std::optional<std::string> text(RootKey root, const std::string& path, const std::string& name);
    std::optional<std::int32_t> number(RootKey root, const std::string& path, const std::string& name);

    MemoryStore store;
    ScriptedDialogs dialogs;
    QTemporaryDir machineDir;
    MachineFolder machine;
    FixedOsVersion osVersion;
    ManualClock clock;
    PlainCpu cpu;
    CpuInstructions* chosenCpu = nullptr;         // a test's own processor double, such as a ReplayCpu
    std::unique_ptr<RegistryFileStore> fileStore; // the window's store once useRegistryFile ran
    RecordingLauncher launcher;
    Services services;
    std::unique_ptr<TForm1> form;
};

} // namespace kv::test
