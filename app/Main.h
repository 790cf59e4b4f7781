// TForm1: the main window. It builds the page tree, assembles the pages, owns the
// program-wide values and runs FormCreate.
#pragma once

#include "Guard.h"
#include "ProgramValues.h"
#include "Services.h"

#include <QWidget>

#include <functional>
#include <map>

class QLabel;
class QStatusBar;
class QTabWidget;

namespace kv {

class GamesPage;
class SettingsPages;
class SummaryPage;
class TAboutBox;
class CardPage;
class GammaPage;
class ViaPage;
class SystemPage;
class TPentiumMMX;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Builds the window from its design and runs FormCreate.
    explicit TForm1(const Services& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // True when start-up asked the application to end (an NT-family machine).
    bool quitRequested() const { return m_quitRequested; }
    ProgramValues& values() { return m_values; }
    const ProgramValues& values() const { return m_values; }

    void FormCreate();
    void Button1Click();
    void Button25Click();
    void uninstallClick();

    // The about window that Button25 shows; start-up creates it after this window.
    void setAboutBox(TAboutBox* box) { m_aboutBox = box; }

    // The handler that runs each time page comes into view, also through its parent page.
    void setShowHandler(QWidget* page, std::function<void()> handler);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // 一般
    QWidget* TabSheet2 = nullptr; // レジストリ
    QWidget* TabSheet3 = nullptr; // ３Ｄゲーム
    QWidget* TabSheet6 = nullptr; // 情報
    QWidget* TabSheet5 = nullptr; // その他
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet4 = nullptr;  // Radeonエンジン
    QWidget* TabSheet7 = nullptr;  // Direct3D 設定
    QWidget* TabSheet8 = nullptr;  // OpenGL 設定
    QWidget* TabSheet9 = nullptr;  // 3Dカラー設定
    QWidget* TabSheet10 = nullptr; // VIA専用設定
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr; // StatusBar1's one panel
    TPentiumMMX* PentiumMMX1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPageTree();
    // Puts every page's controls on its tab sheet and registers the show handlers.
    void assemblePages();
    void pageControl1Changed(int index);
    void pageControl2Changed(int index);
    // Runs the show handler of a page that has just come into view.
    void pageShown(QWidget* page);

    std::map<QWidget*, std::function<void()>> m_showHandlers;

    Services m_services;
    // Every handler of the window and its pages runs in this one guard.
    Guard m_guard;
    ProgramValues m_values;
    bool m_quitRequested = false;
    SummaryPage* m_summary = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    GamesPage* m_games = nullptr;
    GammaPage* m_gamma = nullptr;
    ViaPage* m_via = nullptr;
    CardPage* m_card = nullptr;
    SystemPage* m_system = nullptr;
    SettingsPages* m_settings = nullptr;
};

} // namespace kv
