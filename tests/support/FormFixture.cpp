#include "FormFixture.h"

#include <QApplication>
#include <QTabWidget>

#include <fstream>

namespace kv::test {

FormFixture::FormFixture()
    : machine(machineDir.path().toStdString())
    , services{store, dialogs, machine, osVersion, clock, cpu, launcher} {
    machine.ensureCreated();
    // A quarter second a reading: the system page's clock measurement then sees 1000 ms.
    clock.step = 250;
}

FormFixture::~FormFixture() = default;

namespace {

// The tree as REGEDIT4 text, a section for each key.
void appendSections(const RegKey& key, const std::string& path, std::string& text) {
    if (!path.empty() && path.find('\\') != std::string::npos) {
        text += "\r\n[" + path + "]\r\n";
        for (const RegValue* value : key.values())
            text += RegistryDocument::formatValue(*value, "\r\n");
    }
    for (const RegKey* child : key.children())
        appendSections(*child, path.empty() ? child->name() : path + "\\" + child->name(), text);
}

} // namespace

RegistryFileStore& FormFixture::useRegistryFile(FileCalls calls) {
    std::string text = "REGEDIT4\r\n";
    appendSections(store.tree(), "", text);
    std::ofstream(machine.registryFile(), std::ios::binary | std::ios::trunc) << text;
    fileStore = RegistryFileStore::open(machine.registryFile(), std::move(calls));
    return *fileStore;
}

SettingsStore& FormFixture::activeStore() {
    return fileStore ? static_cast<SettingsStore&>(*fileStore) : store;
}

TForm1& FormFixture::createForm() {
    const Services chosen{activeStore(), dialogs, machine, osVersion, clock, chosenCpu ? *chosenCpu : cpu,
                          launcher};
    form = std::make_unique<TForm1>(chosen);
    form->show();
    QApplication::processEvents();
    return *form;
}

void FormFixture::showPage(const char* page, const char* nested) {
    form->PageControl1->setCurrentWidget(find<QWidget>(page));
    if (nested)
        form->PageControl2->setCurrentWidget(find<QWidget>(nested));
    QApplication::processEvents();
}

void FormFixture::putText(RootKey root, const std::string& path, const std::string& name,
                          const std::string& text) {
    TSettingsAccessor reg(activeStore());
    reg.SelectRoot(root);
    reg.OpenPath(path);
    reg.StoreText(name, text);
}

void FormFixture::putNumber(RootKey root, const std::string& path, const std::string& name,
                            std::int32_t number) {
    TSettingsAccessor reg(activeStore());
    reg.SelectRoot(root);
    reg.OpenPath(path);
    reg.StoreNumber(name, number);
}

std::optional<std::string> FormFixture::text(RootKey root, const std::string& path, const std::string& name) {
    TSettingsAccessor reg(activeStore());
    reg.SelectRoot(root);
    if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
        return std::nullopt;
    return reg.LoadText(name);
}

std::optional<std::int32_t> FormFixture::number(RootKey root, const std::string& path,
                                                const std::string& name) {
    TSettingsAccessor reg(activeStore());
    reg.SelectRoot(root);
    if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
        return std::nullopt;
    return reg.LoadNumber(name);
}

} // namespace kv::test
