#include "Discovery.h"

#include "Cp932.h"
#include "Dialogs.h"
#include "SettingsAccessor.h"

#include <QCoreApplication>

#include <cstdio>

namespace kv {

namespace {

constexpr std::string_view NtDriverKey = "\\SYSTEM\\CurrentControlSet\\Services\\ati2mtag\\Device0";
constexpr std::string_view DisplayClass = "\\System\\CurrentControlSet\\Services\\Class\\Display\\";
// The keys from 10 up are probed in the class name's upper-case spelling.
constexpr std::string_view DisplayClassUpper = "\\System\\CurrentControlSet\\Services\\Class\\DISPLAY\\";
constexpr std::string_view DriverBase = "\\SOFTWARE\\ATI Technologies\\Driver\\";
constexpr std::string_view MediaClass = "\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\";
constexpr std::string_view CardDatabase = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\";
constexpr int MaxChars = 40;

bool acceptedInfSection(std::string_view section) {
    return section == "R6_AGP_ENU" || section == "R6_AGP_ENU_default" || section == "R6_ENU_default";
}

// The first characters of text, at most MaxChars and before the first stop character.
std::string prefixBefore(std::string_view text, char stop) {
    std::size_t end = 0;
    for (int chars = 0; end < text.size() && chars < MaxChars && text[end] != stop; ++chars)
        end += cp932::charLength(text, end);
    return std::string(text.substr(0, end));
}

void findDisplayDriver(TSettingsAccessor& reg, ProgramValues& values, SummaryTexts& texts) {
    for (int index = 20; index >= 0; --index) {
        const std::string_view probe = index >= 10 ? DisplayClassUpper : DisplayClass;
        if (!reg.OpenPathForReading(indexedKey(probe, index)))
            continue;
        if (!acceptedInfSection(reg.LoadText("InfSection")))
            continue;
        values.displayClassKeyPath = indexedKey(DisplayClass, index);
        values.driverKeyPath = adapterKeyPath(index);
        texts.boardName = cp932::toUtf8(reg.LoadText("DriverDesc"));
        values.foundDisplayIndex = index;
    }
}

void findNtDriver(TSettingsAccessor& reg, Dialogs& dialogs, ProgramValues& values, SummaryTexts& texts) {
    if (reg.OpenPathForReading(NtDriverKey)) {
        values.driverKeyPath = std::string(NtDriverKey);
        texts.boardName = cp932::toUtf8(reg.LoadText("Device Description"));
        return;
    }
    dialogs.message(
        QCoreApplication::translate("Discovery", "エラー").toStdString(),
        QCoreApplication::translate("Discovery", "お使いのビデオカードはRadeon256搭載カードではありません。")
            .toStdString(),
        Dialogs::Icon::Error);
    texts.quitRequested = true;
}

// One ATI media device from the keys index = from, from - 1, ..., to; the index found, or -1.
int findMediaDevice(TSettingsAccessor& reg, int from, int to, std::string& device) {
    for (int index = from; index >= to; --index) {
        if (reg.OpenPathForReading(indexedKey(MediaClass, index)) &&
            reg.LoadText("ProviderName") == "ATI Technologies Inc.") {
            device = cp932::toUtf8(reg.LoadText("DriverDesc"));
            return index;
        }
    }
    return -1;
}

void findOptionDevices(TSettingsAccessor& reg, SummaryTexts& texts) {
    for (auto& device : texts.optionDevices)
        device.clear();
    int resume = 30;
    for (auto& device : texts.optionDevices) {
        int found = findMediaDevice(reg, resume, 10, device);
        if (found < 0 && resume == 30)
            found = findMediaDevice(reg, 9, 0, device);
        if (found >= 0)
            resume = found - 1;
    }
}

bool isVivo(const SummaryTexts& texts) {
    bool tuner = false;
    bool theater = false;
    for (int i = 0; i < 3; ++i) {
        tuner = tuner || texts.optionDevices[i] == "ATI WDM TV Tuner";
        theater = theater || texts.optionDevices[i] == "ATI WDM Rage Theater Video";
    }
    return theater && !tuner;
}

} // namespace

std::string unknownText() {
    return QCoreApplication::translate("Discovery", "不明").toStdString();
}

std::string indexedKey(std::string_view prefix, int index) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", index);
    return std::string(prefix) + digits;
}

std::string adapterKeyPath(int index) {
    return indexedKey(DriverBase, index);
}

std::string memorySizeText(std::string_view size) {
    return cp932::toUtf8(prefixBefore(size, '.')) + "MB";
}

std::string agpModeText(std::string_view agpTransfer) {
    std::string mode;
    for (char c : prefixBefore(agpTransfer, ')')) {
        if (c == '1')
            mode = "AGP 1x";
        else if (c == '2' || c == '3')
            mode = "AGP 2x";
        else if (c >= '4' && c <= '7')
            mode = "AGP 4x";
    }
    return mode;
}

std::string driverVersionText(std::string_view version) {
    return cp932::toUtf8(prefixBefore(version, '('));
}

std::string memoryTypeText(const std::string& memorySize, std::string_view boardName) {
    if (memorySize == unknownText())
        return memorySize;
    if (memorySize == "64MB")
        return "DDR SDRAM";
    // An "S" that starts a word within the first 21 characters, as in "RADEON SDR". The board
    // name is UTF-8 here; continuation bytes are not characters of their own.
    int chars = 0;
    for (std::size_t i = 0; i < boardName.size() && chars < 21; ++i) {
        if ((static_cast<unsigned char>(boardName[i]) & 0xC0) == 0x80)
            continue;
        if (boardName[i] == 'S' && (i == 0 || boardName[i - 1] == ' '))
            return "SDR SDRAM";
        ++chars;
    }
    return "DDR SGRAM";
}

std::optional<std::string> windows9xDisplayDriver(SettingsStore& store) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);
    ProgramValues values;
    SummaryTexts texts;
    findDisplayDriver(reg, values, texts);
    return values.displayClassKeyPath.empty() ? std::nullopt : std::optional(texts.boardName);
}

void discoverAdapter(SettingsStore& store, const std::optional<OsVersion>& os, Dialogs& dialogs,
                     ProgramValues& values, SummaryTexts& texts) {
    TSettingsAccessor reg(store);
    reg.SelectRoot(RootKey::LocalMachine);

    const int platform = os ? os->platformId : OsVersion::Neither;
    if (platform == OsVersion::WindowsNT) {
        values.ntFlag = 1;
        texts.quitRequested = true;
    } else if (platform == OsVersion::Windows9x) {
        texts.caption = "Kavendel";
    }

    if (values.ntFlag)
        findNtDriver(reg, dialogs, values, texts);
    else
        findDisplayDriver(reg, values, texts);

    if (values.driverKeyPath.empty()) {
        values.driverKeyPath = adapterKeyPath(0);
        texts.caption = "Kavendel - " + unknownText();
    }

    const std::string cds(CardDatabase);
    texts.memorySize =
        reg.OpenPathForReading(cds + "Memory") ? memorySizeText(reg.LoadText("Size")) : unknownText();
    if (reg.OpenPathForReading(cds + "ASIC"))
        texts.agpMode = agpModeText(reg.LoadText("AGP Transfer"));
    if (reg.OpenPathForReading(cds + "Driver"))
        texts.driverVersion = driverVersionText(reg.LoadText("Version"));
    texts.memoryType = memoryTypeText(texts.memorySize, texts.boardName);

    findOptionDevices(reg, texts);
    texts.boardName += " " + texts.memorySize;
    if (isVivo(texts))
        texts.boardName += " VIVO";
}

} // namespace kv
