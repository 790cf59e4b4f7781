#include "CardPage.h"

#include "Cp932.h"
#include "SettingsAccessor.h"
#include "Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

namespace kv {

namespace {

constexpr std::string_view CardDatabase = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\";
constexpr const char* Unknown = QT_TRANSLATE_NOOP("kv::CardPage", "不明");
constexpr const char* No = "×";
constexpr const char* Yes = "○";

enum Group { Overview, Chip, Bios, Memory, VideoIn, Options, VideoOut };

struct CardGroup {
    const char* name;
    const char* caption;
    QRect geometry; // Overview on the page, the others inside Overview
    int captionX[2];
    int valueX[2];
};

// clang-format off
constexpr CardGroup Groups[] = {
    {"GroupBox3", QT_TRANSLATE_NOOP("kv::CardPage", "あなたのRadeonの仕様"), {4, 2, 423, 332}, {8, 216}, {104, 304}},
    {"GroupBox6", QT_TRANSLATE_NOOP("kv::CardPage", "チップ情報"), {6, 68, 204, 124}, {8, 0}, {140, 0}},
    {"GroupBox4", QT_TRANSLATE_NOOP("kv::CardPage", "BIOS情報"), {214, 68, 203, 94}, {8, 0}, {100, 0}},
    {"GroupBox7", QT_TRANSLATE_NOOP("kv::CardPage", "メモリー情報"), {6, 194, 204, 50}, {8, 0}, {116, 0}},
    {"GroupBox8", QT_TRANSLATE_NOOP("kv::CardPage", "ビデオ入力情報"), {214, 164, 203, 64}, {8, 0}, {72, 0}},
    {"GroupBox5", QT_TRANSLATE_NOOP("kv::CardPage", "オプション情報"), {6, 246, 204, 80}, {8, 0}, {100, 0}},
    {"GroupBox9", QT_TRANSLATE_NOOP("kv::CardPage", "ビデオ出力情報"), {214, 230, 203, 94}, {8, 0}, {100, 0}},
};
// clang-format on

// A caption and the label after it, at a column and line of its group.
struct CardLabel {
    Group group;
    int column;
    int line;
    const char* caption;
    const char* control;
    const char* designText;
};

enum class Kind {
    Text,        // the characters before the first "("
    Flag,        // "○" when set, otherwise left alone
    ClearedFlag, // emptied first, then "○" when set
};

struct CardRow {
    const char* key;
    const char* value;
    Kind kind;
    CardLabel label;
};

constexpr CardLabel SummaryFacts[] = {
    {Overview, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "型番："), "Label104", Unknown},
    {Overview, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "メモリータイプ："), "Label109", Unknown},
    {Overview, 1, 2, QT_TRANSLATE_NOOP("kv::CardPage", "メモリー容量："), "Label108", Unknown},
};

// clang-format off
constexpr CardRow Rows[] = {
    {"ASIC", "Chip ID", Kind::Text, {Overview, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "チップ："), "Label110", Unknown}},
    {"ASIC", "Bus Type", Kind::Text, {Overview, 1, 1, QT_TRANSLATE_NOOP("kv::CardPage", "バスタイプ："), "Label49", Unknown}},
    {"ASIC", "2D Acceleration", Kind::Flag, {Chip, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "2Dアクセラレーション："), "Label32", No}},
    {"ASIC", "3D Acceleration", Kind::Flag, {Chip, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "3Dアクセラレーション："), "Label36", No}},
    {"ASIC", "Aperture Range", Kind::Text, {Chip, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "Aperture Range："), "Label37", Unknown}},
    {"ASIC", "Bus Mastering", Kind::Flag, {Chip, 0, 3, QT_TRANSLATE_NOOP("kv::CardPage", "バスマスター転送："), "Label107", No}},
    {"ASIC", "IDCT", Kind::Flag, {Chip, 0, 4, QT_TRANSLATE_NOOP("kv::CardPage", "DVD支援-IDCT："), "Label56", No}},
    {"ASIC", "Motion Compensation", Kind::Flag, {Chip, 0, 5, QT_TRANSLATE_NOOP("kv::CardPage", "DVD支援 - MC："), "Label89", No}},
    {"Audio", "SPDIF Output", Kind::Flag, {Chip, 0, 6, QT_TRANSLATE_NOOP("kv::CardPage", "AIW内蔵SPDIF："), "Label92", No}},
    {"BIOS", "Part Number", Kind::Text, {Bios, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "パートナンバー："), "Label94", Unknown}},
    {"BIOS", "Version", Kind::Text, {Bios, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "バージョン："), "Label96", Unknown}},
    {"BIOS", "File Name", Kind::Text, {Bios, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "ファイル名："), "Label98", Unknown}},
    {"BIOS", "Date", Kind::Text, {Bios, 0, 3, QT_TRANSLATE_NOOP("kv::CardPage", "日付："), "Label100", Unknown}},
    {"BIOS", "DDC Detected", Kind::Text, {Bios, 0, 4, QT_TRANSLATE_NOOP("kv::CardPage", "対応DDC："), "Label102", Unknown}},
    {"Memory", "Block Write Support", Kind::Flag, {Memory, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "ブロック書き込み："), "Label112", No}},
    {"Memory", "Upgrade Module Possibility", Kind::Flag, {Memory, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "アップデート："), "Label118", No}},
    {"Multi Media", "Any Video In", Kind::Flag, {Options, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "ビデオ入力："), "Label111", No}},
    {"Multi Media", "Any Video Out", Kind::Flag, {Options, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "ビデオ出力："), "Label105", No}},
    {"Multi Media", "Is All-in-Wonder Family", Kind::Flag, {Options, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "AIWファミリー："), "Label119", QT_TRANSLATE_NOOP("kv::CardPage", "不可")}},
    {"Multi Media", "IO Expander Found", Kind::Flag, {Options, 0, 3, QT_TRANSLATE_NOOP("kv::CardPage", "追加機器："), "Label38", No}},
    {"Video In", "Chip Type", Kind::Text, {VideoIn, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "チップ："), "Label123", Unknown}},
    {"Video In", "Crystal Frequency", Kind::Text, {VideoIn, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "クロック："), "Label124", Unknown}},
    {"Video In", "Standard", Kind::Text, {VideoIn, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "規格："), "Label125", Unknown}},
    {"Video Out", "Chip Type", Kind::Text, {VideoOut, 0, 0, QT_TRANSLATE_NOOP("kv::CardPage", "チップ："), "Label129", Unknown}},
    {"Video Out", "Crystal Frequency", Kind::Text, {VideoOut, 0, 1, QT_TRANSLATE_NOOP("kv::CardPage", "クロック："), "Label130", Unknown}},
    {"Video Out", "Standard", Kind::Text, {VideoOut, 0, 2, QT_TRANSLATE_NOOP("kv::CardPage", "規格："), "Label131", Unknown}},
    {"Video Out", "Bus Type", Kind::Text, {VideoOut, 0, 3, QT_TRANSLATE_NOOP("kv::CardPage", "バスタイプ："), "Label116", Unknown}},
    {"Video Out", "Macro Vision Support", Kind::ClearedFlag, {VideoOut, 0, 4, QT_TRANSLATE_NOOP("kv::CardPage", "マクロビジョン："), "Label133", No}},
};
// clang-format on

// The keys in reading order; a gated key is read only while its gate label shows "○".
struct CardKey {
    const char* name;
    const char* gate;
};

constexpr CardKey Keys[] = {
    {"ASIC", nullptr},        {"Audio", nullptr},       {"BIOS", nullptr},         {"Memory", nullptr},
    {"Multi Media", nullptr}, {"Video In", "Label111"}, {"Video Out", "Label105"},
};

constexpr int FirstLine = 16;
constexpr int LineHeight = 15;

void showValue(QLabel* shown, Kind kind, const std::string& value) {
    switch (kind) {
    case Kind::Text:
        setLabelText(shown, QString::fromStdString(cp932::toUtf8(cardTextShown(value))));
        break;
    case Kind::Flag:
        if (cardFlagSet(value))
            setLabelText(shown, QString::fromUtf8(Yes));
        break;
    case Kind::ClearedFlag:
        setLabelText(shown, cardFlagSet(value) ? QString::fromUtf8(Yes) : QString());
        break;
    }
}

} // namespace

std::string cardTextShown(std::string_view value) {
    return std::string(value.substr(0, cp932::findChar(value, '(')));
}

bool cardFlagSet(std::string_view value) {
    const std::size_t close = cp932::findChar(value, ')');
    return close != std::string_view::npos && close > 0 && value[close - 1] == '1';
}

CardPage::CardPage(QWidget* sheet, SettingsStore& store, const SummaryLabels& summary)
    : QObject(sheet)
    , m_store(store)
    , m_summary(summary) {
    QGroupBox* groups[std::size(Groups)] = {};
    for (std::size_t i = 0; i < std::size(Groups); ++i)
        groups[i] = makeGroup(i == Overview ? sheet : groups[Overview], Groups[i].name, tr(Groups[i].caption),
                              Groups[i].geometry);
    const auto place = [&](const CardLabel& row) {
        const CardGroup& group = Groups[row.group];
        const int top = FirstLine + LineHeight * row.line;
        // Named after the value label it stands before ("Label110" has "Caption110"), as on the
        // system page, so that the inventory of the window lists the captions too.
        const std::string captionName = "Caption" + std::string(row.control).substr(5);
        makeLabel(groups[row.group], captionName.c_str(), tr(row.caption), {group.captionX[row.column], top});
        QLabel* value =
            makeLabel(groups[row.group], row.control, tr(row.designText), {group.valueX[row.column], top});
        m_labels.emplace(row.control, value);
    };
    for (const CardLabel& fact : SummaryFacts)
        place(fact);
    for (const CardRow& row : Rows)
        place(row.label);

    // Out of sight beyond the page's right edge.
    auto* memo = new QPlainTextEdit(sheet);
    memo->setObjectName(QStringLiteral("Memo4"));
    memo->setGeometry(448, 8, 185, 89);
}

QLabel* CardPage::label(std::string_view control) const {
    const auto it = m_labels.find(control);
    return it == m_labels.end() ? nullptr : it->second;
}

void CardPage::TabSheet6Show() {
    setLabelText(label("Label104"), m_summary.boardName->text());
    setLabelText(label("Label109"), m_summary.memoryType->text());
    setLabelText(label("Label108"), m_summary.memorySize->text());

    TSettingsAccessor reg(m_store);
    reg.SelectRoot(RootKey::LocalMachine);
    for (const CardKey& key : Keys) {
        if (key.gate && label(key.gate)->text() != QString::fromUtf8(Yes))
            continue;
        if (!reg.OpenPathForReading(std::string(CardDatabase) + key.name))
            continue;
        for (const CardRow& row : Rows)
            if (std::string_view(row.key) == key.name && reg.ValuePresent(row.value))
                showValue(label(row.label.control), row.kind, reg.LoadText(row.value));
    }
}

} // namespace kv
