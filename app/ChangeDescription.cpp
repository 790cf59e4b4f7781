#include "ChangeDescription.h"

#include "Console.h"
#include "Cp932.h"
#include "LittleEndian.h"
#include "Message.h"
#include "RegistryDocument.h"
#include "SettingsCatalogue.h"

#include <algorithm>
#include <charconv>

namespace kv {

namespace {

// Longer data is cut short: a line says what changed, a patch says it all.
constexpr qsizetype ShownDataLength = 60;

// The group the level-of-detail bar stands in.
constexpr std::string_view DetailBiasGroup = "DetailBiasGroup";

// The window's page that a sheet lies on, as its tabs name them.
const char* pageCaption(Sheet sheet) {
    switch (sheet) {
    case Sheet::Registry:
        return QT_TRANSLATE_NOOP("kv::TForm1", "レジストリ");
    case Sheet::Engine:
        return QT_TRANSLATE_NOOP("kv::TForm1", "Radeonエンジン");
    case Sheet::Direct3D:
        return QT_TRANSLATE_NOOP("kv::TForm1", "Direct3D 設定");
    case Sheet::OpenGL:
        break;
    }
    return QT_TRANSLATE_NOOP("kv::TForm1", "OpenGL 設定");
}

QString translated(const char* context, std::string_view source, const ConsoleTexts& texts) {
    return texts.text(Message{{}, context, std::string(source).c_str(), {}});
}

// "page › group › caption", leaving out a group without a caption.
QString settingTrail(Sheet sheet, std::string_view group, std::string_view caption,
                     const ConsoleTexts& texts) {
    QStringList parts{translated("kv::TForm1", pageCaption(sheet), texts)};
    if (!group.empty())
        parts << translated("SettingsCatalogue", group, texts);
    parts << translated("SettingsCatalogue", caption, texts);
    return parts.join(QStringLiteral(" › "));
}

// Whether the step's key is the setting's: a key below the driver's key ends with the setting's
// one component, a fixed path ends with all of them; the hive is that of root.
bool keyMatches(const KeyPath& path, RootKey root, std::string_view key) {
    std::vector<std::string> parts = cp932::split(key);
    std::erase(parts, std::string());
    const bool machineHive = cp932::equalsIgnoreCase(path.front(), "HKEY_LOCAL_MACHINE");
    if (parts.empty() || path.size() <= parts.size() || machineHive != (root == RootKey::LocalMachine))
        return false;
    return std::equal(
        parts.begin(), parts.end(), path.end() - std::ptrdiff_t(parts.size()),
        [](const std::string& a, const std::string& b) { return cp932::equalsIgnoreCase(a, b); });
}

std::string textOf(const RegValue& value) {
    return value.data.substr(0, value.data.find('\0'));
}

// The number the driver reads from a value: a DWORD, or decimal text.
std::optional<std::int32_t> numberOf(const RegValue& value) {
    if (value.type == RegNumber && value.data.size() == 4)
        return static_cast<std::int32_t>(le::get32(value.data, 0));
    const std::string text = textOf(value);
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(number) : std::nullopt;
}

QString absentText(const ConsoleTexts& texts) {
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "(なし)"));
}

QString boxState(const std::optional<RegValue>& value, ValueKind kind, const ConsoleTexts& texts) {
    if (!value)
        return absentText(texts);
    const bool checked = kind == ValueKind::Number ? numberOf(*value) == 1 : textOf(*value) == "1";
    return checked ? texts.text(QT_TRANSLATE_NOOP("CommandLine", "オン"))
                   : texts.text(QT_TRANSLATE_NOOP("CommandLine", "オフ"));
}

QString listItem(const std::optional<RegValue>& value, const ChoiceList& list, const ConsoleTexts& texts) {
    if (!value)
        return absentText(texts);
    const std::optional<std::int32_t> number = numberOf(*value);
    const int item = list.kind == ValueKind::Text ? itemForText(list, textOf(*value))
                     : number                     ? itemForNumber(list, *number)
                                                  : -1;
    return item < 0 ? QString::fromStdString(cp932::toUtf8(textOf(*value)))
                    : translated("SettingsCatalogue", list.items[std::size_t(item)].text, texts);
}

// The position of the level-of-detail bar, which shows the number it stores.
QString barPosition(const std::optional<RegValue>& value, const ConsoleTexts& texts) {
    const std::optional<std::int32_t> number = value ? numberOf(*value) : std::nullopt;
    return number ? QString::number(*number) : absentText(texts);
}

const ChoiceGroup* choiceGroupNamed(std::string_view name) {
    for (const ChoiceGroup& group : choiceGroups())
        if (group.name == name)
            return &group;
    return nullptr;
}

QString changeLine(const QString& what, const QString& before, const QString& after,
                   const ConsoleTexts& texts) {
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1: %2 → %3"), {what, before, after});
}

// The value's data as a REGEDIT4 file writes it, in UTF-8, cut short when long.
QString dataText(const std::optional<RegValue>& value, const ConsoleTexts& texts) {
    if (!value)
        return absentText(texts);
    RegValue unnamed = *value;
    unnamed.name.clear();
    const QString line = QString::fromStdString(cp932::toUtf8(RegistryDocument::formatValue(unnamed, "")));
    const QString data = line.mid(line.indexOf(u'=') + 1);
    return data.size() > ShownDataLength ? data.left(ShownDataLength) + QStringLiteral("…") : data;
}

// The line for a value that a box or a list of the window owns, or an empty text.
QString settingLine(const PlannedValueChange& change, const ConsoleTexts& texts) {
    const std::optional<RegValue> after =
        change.step.kind == PatchStep::Kind::SetValue ? std::optional(change.step.value) : std::nullopt;
    const auto owns = [&](RootKey root, std::string_view key, std::string_view value) {
        return cp932::equalsIgnoreCase(change.step.value.name, value) &&
               keyMatches(change.step.path, root, key);
    };
    for (const TwoStateSetting& row : twoStateSettings())
        if (owns(row.root, row.key, row.value)) {
            const BoxGroupPlace& group = boxGroup(row.group);
            return changeLine(settingTrail(group.sheet, group.caption, row.caption, texts),
                              boxState(change.before, row.kind, texts), boxState(after, row.kind, texts),
                              texts);
        }
    for (const ChoiceList& list : choiceLists())
        if (const ChoiceGroup* group = choiceGroupNamed(list.group);
            group && owns(RootKey::LocalMachine, list.key, list.value))
            return changeLine(settingTrail(group->sheet, {}, group->caption, texts),
                              listItem(change.before, list, texts), listItem(after, list, texts), texts);
    // The AGP speed group shows its items as a list does.
    const RadioSetting& agp = agpSpeedSetting();
    const ChoiceList agpItems{agp.control, agp.handler,     {},        0, 0, 0, agp.key,
                              agp.value,   ValueKind::Text, agp.items, -1};
    if (owns(RootKey::LocalMachine, agp.key, agp.value))
        return changeLine(settingTrail(Sheet::Engine, {}, agp.caption, texts),
                          listItem(change.before, agpItems, texts), listItem(after, agpItems, texts), texts);
    if (const ChoiceGroup* group = choiceGroupNamed(DetailBiasGroup);
        group && owns(RootKey::LocalMachine, DetailBias.key, DetailBias.value))
        return changeLine(settingTrail(group->sheet, {}, group->caption, texts),
                          barPosition(change.before, texts), barPosition(after, texts), texts);
    return {};
}

QString valueLine(const PlannedValueChange& change, const ConsoleTexts& texts) {
    const QString key = QString::fromStdString(cp932::toUtf8(joinPath(change.step.path)));
    if (change.step.kind == PatchStep::Kind::RemoveKey)
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1: キーを削除"), {key});
    const std::string& name = change.step.value.name;
    const QString what =
        key + (name.empty() ? QStringLiteral(" @")
                            : QStringLiteral(" \"%1\"").arg(QString::fromStdString(cp932::toUtf8(name))));
    const QString after = change.step.kind == PatchStep::Kind::SetValue
                              ? dataText(change.step.value, texts)
                              : texts.text(QT_TRANSLATE_NOOP("CommandLine", "(削除)"));
    return changeLine(what, dataText(change.before, texts), after, texts);
}

QString fileLine(const PlannedFile& file, const ConsoleTexts& texts) {
    const QString path = QString::fromStdString(file.path);
    if (!file.sizeBefore)
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1: 作成 (%2 バイト)"),
                          {path, QString::number(file.sizeAfter.value_or(0))});
    if (!file.sizeAfter)
        return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1: 削除 (%2 バイト)"),
                          {path, QString::number(*file.sizeBefore)});
    return texts.text(QT_TRANSLATE_NOOP("CommandLine", "%1: 置き換え (%2 → %3 バイト)"),
                      {path, QString::number(*file.sizeBefore), QString::number(*file.sizeAfter)});
}

} // namespace

QStringList describedFiles(const std::vector<PlannedFile>& files, const ConsoleTexts& texts) {
    QStringList lines;
    for (const PlannedFile& file : files)
        lines << fileLine(file, texts);
    return lines;
}

QStringList describedPlan(const WritePlan& plan, const ConsoleTexts& texts) {
    QStringList lines;
    for (const PlannedValueChange& change : plan.registry) {
        const QString setting = settingLine(change, texts);
        lines << (setting.isEmpty() ? valueLine(change, texts) : setting);
    }
    return lines + describedFiles(plan.files, texts);
}

} // namespace kv
