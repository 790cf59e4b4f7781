// The five supported games, in list order, with everything the list and the rewrite need:
// where each game keeps its key, icon and 3D configuration file, which line of that file
// tells whether the card is already entered, and how the rewrite fixes the game.
#pragma once

#include "SettingsStore.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace kv {

// The card's line that the EA SPORTS football titles expect as their configuration's last line.
inline constexpr std::string_view FullCardLine =
    "CARD_ATI Radeon256 /R:640x480 /R:800x600 /R:1024x768 /R:1280x1024 /R:1600x1200 /I";
inline constexpr std::string_view CardEntryLine = "CARD_ATI Radeon256";

// What the rewrite does to the configuration file.
enum class FileStep {
    None,       // the file is left alone
    AppendLast, // the expected line becomes the new last line
    InsertLine, // the expected line is inserted so that it becomes the tested line
};

// Which of the publisher's card lists the rewrite registers the card in.
enum class CardListKind { User, Machine };

struct GameRow {
    std::string_view title; // list caption and title label
    std::string_view maker;
    std::string_view gameKey; // HKEY_LOCAL_MACHINE
    std::string_view installDirValue;
    std::string_view iconFile; // empty: the built-in football picture
    std::string_view configFile;
    int testedFromEnd; // k: the tested line is line count - k, counting from 0
    std::string_view expectedLine;
    FileStep fileStep;
    CardListKind cardList;
};

inline constexpr std::array<GameRow, 5> GameTable = {{
    {"Euro 2000", "EA SPORTS", "\\SOFTWARE\\EA SPORTS\\Euro 2000", "Install Dir", "\\euro2000.ico",
     "\\3DSetup\\3dsetup.ini", 1, FullCardLine, FileStep::AppendLast, CardListKind::User},
    {"Need For Speed Porsche Unleashed", "Electronic Arts",
     "\\SOFTWARE\\Electronic Arts\\Need For Speed - Porsche Unleashed", "Install Dir", "\\NFS5.ico",
     "\\3DSetup\\3dsetup.ini", 2, CardEntryLine, FileStep::None, CardListKind::Machine},
    {"Need For Speed High Stakes", "Electronic Arts",
     "\\SOFTWARE\\Electronic Arts\\Need For Speed High Stakes", "InstallPath", "\\nfsHs.ico",
     "\\3dSetup\\3ddata.dat", 6, CardEntryLine, FileStep::InsertLine, CardListKind::Machine},
    {"NBA Live 2000", "EA SPORTS", "\\SOFTWARE\\EA SPORTS\\NBA Live 2000", "Install Dir", "\\nbalive.ico",
     "\\setup\\3dsetup.ini", 3, CardEntryLine, FileStep::None, CardListKind::User},
    {"FIFA 2000", "EA SPORTS", "\\SOFTWARE\\EA SPORTS\\FIFA 2000", "Install Dir", "",
     "\\3DSetup\\3dsetup.ini", 1, FullCardLine, FileStep::AppendLast, CardListKind::User},
}};

// The row whose title equals title exactly, or nullptr.
constexpr const GameRow* findGame(std::string_view title) {
    for (const GameRow& row : GameTable)
        if (row.title == title)
            return &row;
    return nullptr;
}

// The publisher's card lists. For the machine list the program names some keys through the
// list key as spelled here and others through altListKey; the store compares key names without
// regard to case, so both reach the same keys.
struct DeviceValue {
    std::string_view name;
    std::int32_t number;
};

struct CardListRow {
    RootKey root;
    std::string_view listKey;    // list key, card key M and order key
    std::string_view altListKey; // card key N and device key M
    std::string_view module;
    bool numberInListKey; // the list key also gets a value named M holding M
    std::array<DeviceValue, 3> deviceValues;
    int deviceValueCount;
};

inline constexpr std::int32_t AtiVendorId = 0x1002;
inline constexpr std::int32_t RadeonDeviceId = 0x5144;

inline constexpr std::array<CardListRow, 2> CardLists = {{
    {RootKey::CurrentUser,
     "\\Software\\Electronic Arts\\3D Data",
     "\\Software\\Electronic Arts\\3D Data",
     "dx",
     false,
     {{{"DeviceID1", RadeonDeviceId}, {"DeviceID2", RadeonDeviceId}, {"VendorID", AtiVendorId}}},
     3},
    {RootKey::LocalMachine,
     "\\SOFTWARE\\Electronic Arts\\3D Data",
     "\\Software\\Electronic Arts\\3D Data",
     "d3d",
     true,
     {{{"DeviceID", RadeonDeviceId}, {"VendorID", AtiVendorId}, {}}},
     2},
}};

constexpr const CardListRow& cardList(CardListKind kind) {
    return CardLists[kind == CardListKind::User ? 0 : 1];
}

} // namespace kv
