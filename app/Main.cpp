#include "Main.h"

#include "CardPage.h"
#include "CompactTabs.h"
#include "Discovery.h"
#include "GamesPage.h"
#include "GammaPage.h"
#include "HandlerGuard.h"
#include "OsVersion.h"
#include "PentiumMMX.h"
#include "SettingsPages.h"
#include "SummaryPage.h"
#include "SystemPage.h"
#include "Uninstall.h"
#include "ViaPage.h"
#include "Widgets.h"
#include "ver.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <span>

namespace kv {

namespace {

constexpr int ClientWidth = 431;
constexpr int ClientHeight = 386;

struct PageRow {
    const char* name;
    const char* caption; // translated in TForm1's context
    QWidget* TForm1::*page;
};

constexpr PageRow OuterPages[] = {
    {"TabSheet1", QT_TRANSLATE_NOOP("kv::TForm1", "一般"), &TForm1::TabSheet1},
    {"TabSheet2", QT_TRANSLATE_NOOP("kv::TForm1", "レジストリ"), &TForm1::TabSheet2},
    {"TabSheet3", QT_TRANSLATE_NOOP("kv::TForm1", "３Ｄゲーム"), &TForm1::TabSheet3},
    {"TabSheet6", QT_TRANSLATE_NOOP("kv::TForm1", "情報"), &TForm1::TabSheet6},
    {"TabSheet5", QT_TRANSLATE_NOOP("kv::TForm1", "その他"), &TForm1::TabSheet5},
};

constexpr PageRow RegistryPages[] = {
    {"TabSheet4", QT_TRANSLATE_NOOP("kv::TForm1", "Radeonエンジン"), &TForm1::TabSheet4},
    {"TabSheet7", QT_TRANSLATE_NOOP("kv::TForm1", "Direct3D 設定"), &TForm1::TabSheet7},
    {"TabSheet8", QT_TRANSLATE_NOOP("kv::TForm1", "OpenGL 設定"), &TForm1::TabSheet8},
    {"TabSheet9", QT_TRANSLATE_NOOP("kv::TForm1", "3Dカラー設定"), &TForm1::TabSheet9},
    {"TabSheet10", QT_TRANSLATE_NOOP("kv::TForm1", "VIA専用設定"), &TForm1::TabSheet10},
};

// A tab bar measures all its tabs again at each insertion, so the captions go in only once
// every page is there: the bar then measures them once, when it first comes into view.
void addPages(TForm1& form, QTabWidget* tabs, std::span<const PageRow> rows) {
    for (const PageRow& row : rows) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(row.name));
        tabs->addTab(page, QString());
        form.*row.page = page;
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        tabs->setTabText(static_cast<int>(i), TForm1::tr(rows[i].caption));
}

} // namespace

TForm1::TForm1(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint)
    , m_services(services) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kavendel"));
    setFixedSize(ClientWidth, ClientHeight);
    buildPageTree();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    assemblePages();
    // The pointer entering any control of the registry page puts that control's hint in the
    // panel, also when it has none, so that the opening text gives way as the pointer moves.
    for (QWidget* control : TabSheet2->findChildren<QWidget*>())
        control->installEventFilter(this);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::assemblePages() {
    const auto exit = [this] { guarded([this] { Button1Click(); }); };
    m_summary = new SummaryPage(TabSheet1, exit);
    connect(m_summary->Button25, &QPushButton::clicked, this,
            [this] { guarded([this] { Button25Click(); }); });
    connect(m_summary->uninstall, &QPushButton::clicked, this,
            [this] { guarded([this] { uninstallClick(); }); });
    m_games = new GamesPage(TabSheet3, m_services, m_values.gamesPageState, exit);
    setShowHandler(TabSheet3, [this] { m_games->TabSheet3Show(); });
    m_gamma = new GammaPage(TabSheet9, m_services.store, m_services.dialogs, m_values);
    setShowHandler(TabSheet9, [this] { m_gamma->TabSheet9Show(); });
    m_via = new ViaPage(TabSheet10, PageControl2, m_services.store, m_services.dialogs);
    setShowHandler(TabSheet2, [this] { m_via->TabSheet2Show(); });
    m_card =
        new CardPage(TabSheet6, m_services.store, {m_summary->Label5, m_summary->Label7, m_summary->Label11});
    setShowHandler(TabSheet6, [this] { m_card->TabSheet6Show(); });
    PentiumMMX1 = new TPentiumMMX(m_services.cpu, this);
    PentiumMMX1->setObjectName(QStringLiteral("PentiumMMX1"));
    m_system = new SystemPage(TabSheet5, *PentiumMMX1, m_services);
    QPushButton* Button5 = makeExitButton(TabSheet5, "Button5", {296, 328, 121, 25});
    connect(Button5, &QPushButton::clicked, this, exit);
    setShowHandler(TabSheet5, [this] { m_system->TabSheet4Show(); });
    m_settings = new SettingsPages({TabSheet1, TabSheet2, TabSheet4, TabSheet7, TabSheet8}, m_values,
                                   m_services.store, m_services.dialogs, this);
}

void TForm1::buildPageTree() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, ClientWidth, ClientHeight);
    PageControl1->setDocumentMode(true);
    addPages(*this, PageControl1, OuterPages);
    // The tab control places its page stack only once it is visible. Sized now, the stack is
    // spared the asking of every page's size (the nested tabs' captions among them) that showing
    // an unsized widget costs.
    if (auto* stack = PageControl1->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly))
        stack->resize(PageControl1->size());

    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PageControl2 = new QTabWidget;
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    useCompactTabs(PageControl2);
    addPages(*this, PageControl2, RegistryPages);
    layout->addWidget(PageControl2, 1);

    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    // The panel gets its text once it is in the bar: the bar measures what it takes in at once,
    // and a text set later waits until the page is shown.
    StatusPanel = new QLabel;
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFixedWidth(300);
    StatusBar1->addWidget(StatusPanel);
    StatusPanel->setText(tr("※設定を変更後は再起動してください。"));
    layout->addWidget(StatusBar1);
    // Status tips of the controls under the pointer travel up to the page; show them in the panel.
    TabSheet2->installEventFilter(this);

    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::pageControl1Changed);
    connect(PageControl2, &QTabWidget::currentChanged, this, &TForm1::pageControl2Changed);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TabSheet2 && event->type() == QEvent::StatusTip) {
        StatusPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::Enter && watched != StatusPanel && watched != StatusBar1)
        if (auto* control = qobject_cast<QWidget*>(watched))
            StatusPanel->setText(control->statusTip());
    return QWidget::eventFilter(watched, event);
}

void TForm1::setShowHandler(QWidget* page, std::function<void()> handler) {
    m_showHandlers[page] = std::move(handler);
}

void TForm1::guarded(const std::function<void()>& handler) {
    runGuarded(m_services.dialogs, handler);
}

void TForm1::pageShown(QWidget* page) {
    const auto it = m_showHandlers.find(page);
    if (it != m_showHandlers.end())
        guarded(it->second);
}

void TForm1::pageControl1Changed(int index) {
    QWidget* page = PageControl1->widget(index);
    QWidget* nested = PageControl2->currentWidget();
    pageShown(page);
    // The nested page comes into view with its parent, unless the parent's handler has moved
    // the nested selection already, which showed the new nested page by itself.
    if (page == TabSheet2 && PageControl1->currentWidget() == TabSheet2 &&
        PageControl2->currentWidget() == nested)
        pageShown(nested);
}

void TForm1::pageControl2Changed(int index) {
    if (PageControl1->currentWidget() == TabSheet2)
        pageShown(PageControl2->widget(index));
}

void TForm1::FormCreate() {
    guarded([this] {
        SummaryTexts texts;
        // The summary shows what discovery found, also when a store error ends it early.
        const auto showSummary = qScopeGuard([&] {
            m_summary->showDiscovery(texts);
            if (texts.caption)
                setWindowTitle(QString::fromStdString(*texts.caption));
            m_quitRequested = texts.quitRequested;
        });
        discoverAdapter(m_services.store, m_services.osVersion.query(), m_services.dialogs, m_values, texts);
        m_settings->readInitialStates();
        m_values.gamesPageState = 1;
    });
}

void TForm1::Button1Click() {
    close();
}

void TForm1::Button25Click() {
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TForm1::uninstallClick() {
    uninstallDriver(m_services, m_values);
}

} // namespace kv
