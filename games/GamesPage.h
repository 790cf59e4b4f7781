// The games page (TabSheet3 "３Ｄゲーム"): the installed supported games with their icons, the
// selected game's configuration file, and the rewrite button that makes the game accept the card.
#pragma once

#include "GameFiles.h"
#include "Services.h"

#include <QObject>

#include <functional>
#include <string>
#include <string_view>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kv {

class Guard;
class ImageList;
class TSettingsAccessor;
struct GameRow;

class GamesPage : public QObject {
    Q_OBJECT
public:
    // gamesPageState is the window's program-wide value (1 after start-up, 2 once the list is
    // built); exitHandler is the window's shared exit action, guarded by the window. The image
    // list is owned by the sheet's window.
    GamesPage(QWidget* sheet, const Services& services, Guard& guard, int& gamesPageState,
              const std::function<void()>& exitHandler);

    // Fills the list on the first showing after start-up; later showings leave it as it is.
    void TabSheet3Show();
    // Shows the selected game and its configuration file, and offers the rewrite when needed.
    void ListView1Change();
    // The rewrite: the selected game's file step, then the card registration.
    void Button2Click();

    QListWidget* ListView1 = nullptr;
    ImageList* IconList = nullptr;
    QLabel* Label17 = nullptr; // タイトル：
    QLabel* Label19 = nullptr; // selected title
    QLabel* Label20 = nullptr; // メーカー名：
    QLabel* Label21 = nullptr; // selected maker
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button2 = nullptr; // 書き換え
    QPushButton* Button3 = nullptr; // 終了
    QLabel* Image1 = nullptr;       // holds each icon as it is read

private:
    const GameRow* selectedGame() const;
    void showGame(const GameRow& game);
    // Shows the selected game and opens its key; null when none is selected or its key is gone.
    const GameRow* openSelectedGame(TSettingsAccessor& reg);
    // Button2Click's work while it holds its accessor: the file step, then the card registration.
    void rewriteSelectedGame();
    // The game's configuration file step; false when the file already had the card's line.
    bool runFileStep(const TSettingsAccessor& reg, const GameRow& game);
    // The configuration file's Windows path: the game's install directory and the file name.
    std::string configPath(const TSettingsAccessor& reg, const GameRow& game) const;
    // Shows text (CP932 bytes with CR LF breaks) in Memo1, one file line per text line.
    void showText(std::string_view text);
    void message(const QString& caption, const QString& text);

    Services m_services;
    Guard& m_guard;
    int& m_gamesPageState;
    GameFiles m_files;
};

} // namespace kv
