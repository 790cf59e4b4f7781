#include "FormFixture.h"

#include <QApplication>
#include <QTabWidget>

namespace kv::test {

FormFixture::FormFixture()
    : machine(machineDir.path().toStdString())
    , services{store, dialogs, machine, osVersion, clock, cpu, launcher} {
    machine.ensureCreated();
    // A quarter second a reading: the system page's clock measurement then sees 1000 ms.
    clock.step = 250;
}

FormFixture::~FormFixture() = default;

TForm1& FormFixture::createForm() {
    const Services chosen{store, dialogs, machine, osVersion, clock, chosenCpu ? *chosenCpu : cpu, launcher};
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
    TSettingsAccessor reg(store);
    reg.SelectRoot(root);
    reg.OpenPath(path);
    reg.StoreText(name, text);
}

void FormFixture::putNumber(RootKey root, const std::string& path, const std::string& name,
                            std::int32_t number) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(root);
    reg.OpenPath(path);
    reg.StoreNumber(name, number);
}

std::optional<std::string> FormFixture::text(RootKey root, const std::string& path, const std::string& name) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(root);
    if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
        return std::nullopt;
    return reg.LoadText(name);
}

std::optional<std::int32_t> FormFixture::number(RootKey root, const std::string& path,
                                                const std::string& name) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(root);
    if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
        return std::nullopt;
    return reg.LoadNumber(name);
}

} // namespace kv::test
