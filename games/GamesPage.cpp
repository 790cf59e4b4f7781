#include "GamesPage.h"

#include "CardRegistration.h"
#include "ConfigText.h"
#include "Cp932.h"
#include "Dialogs.h"
#include "GameTable.h"
#include "Guard.h"
#include "ImageList.h"
#include "SettingsAccessor.h"
#include "Widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

namespace kv {

namespace {

constexpr int ImageIndexRole = Qt::UserRole;
constexpr int ListWidth = 97;
constexpr int ItemHeight = 84;

} // namespace

GamesPage::GamesPage(QWidget* sheet, const Services& services, Guard& guard, int& gamesPageState,
                     const std::function<void()>& exitHandler)
    : QObject(sheet)
    , m_services(services)
    , m_guard(guard)
    , m_gamesPageState(gamesPageState)
    , m_files(services.machine) {
    IconList = new ImageList(sheet->window());

    ListView1 = new QListWidget(sheet);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(ImageList::ImageSize, ImageList::ImageSize));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSortingEnabled(false);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(true);
    ListView1->setFixedWidth(ListWidth);
    // One arranged column as wide as the room beside the vertical scroll bar: captions wrap on
    // whole words, long titles are cut at their last line as the desktop does, and nothing
    // needs a horizontal scroll bar.
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int scrollBar = ListView1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ListView1);
    ListView1->setGridSize(QSize(ListWidth - 2 * ListView1->frameWidth() - scrollBar, ItemHeight));
    // Docked along the left edge; the other controls keep their fixed places.
    auto* dock = new QHBoxLayout(sheet);
    dock->setContentsMargins(0, 0, 0, 0);
    dock->addWidget(ListView1);
    dock->addStretch(1);

    Label17 = makeLabel(sheet, "Label17", tr("タイトル："), {107, 8});
    setLabelFont(Label17, false, 16);
    Label19 = makeLabel(sheet, "Label19", QString(), {168, 8});
    setLabelFont(Label19, false, 16);
    Label20 = makeLabel(sheet, "Label20", tr("メーカー名："), {104, 40});
    Label21 = makeLabel(sheet, "Label21", QString(), {168, 40});

    Memo1 = new QPlainTextEdit(sheet);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(104, 64, 313, 257);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    Button2 = makeButton(sheet, "Button2", tr("書き換え"), {344, 32, 75, 25},
                         tr("表示の３ＤゲームをRadeon対応に設定ファイルを書き換えます。"));
    Button2->setEnabled(false);
    Button3 = makeExitButton(sheet, "Button3", {168, 328, 81, 25});

    Image1 = new QLabel(sheet);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(144, 384, 33, 33); // below the page's edge: a holder, never seen

    connect(Button3, &QPushButton::clicked, this, exitHandler);
    connect(Button2, &QPushButton::clicked, this, [this] { m_guard.run([this] { Button2Click(); }); });
    connect(ListView1, &QListWidget::itemSelectionChanged, this,
            [this] { m_guard.run([this] { ListView1Change(); }); });
}

void GamesPage::TabSheet3Show() {
    if (m_gamesPageState != 1)
        return;
    {
        const QSignalBlocker quiet(ListView1);
        ListView1->clear();
    }
    IconList->reset();
    TSettingsAccessor reg(m_services.store);
    reg.SelectRoot(RootKey::LocalMachine);
    int position = 0;
    for (const GameRow& game : GameTable) {
        if (!reg.OpenPathForReading(game.gameKey))
            continue;
        auto* item = new QListWidgetItem(fromUtf8(game.title), ListView1);
        if (game.iconFile.empty()) {
            // Every icon went in ahead of the football, so the football is at position now.
            item->setData(ImageIndexRole, position);
            item->setIcon(IconList->image(position));
            continue;
        }
        const std::string path = reg.LoadText(game.installDirValue) + std::string(game.iconFile);
        const QImage icon = decodeIcon(m_files.read(path));
        if (icon.isNull())
            throw Failure(Message{
                {}, "kv::GamesPage", QT_TRANSLATE_NOOP("kv::GamesPage", "アイコンイメージが不正です"), {}});
        Image1->setPixmap(QPixmap::fromImage(icon));
        IconList->insert(position, icon);
        item->setData(ImageIndexRole, position);
        item->setIcon(IconList->image(position));
        ++position;
    }
    m_gamesPageState = 2;
}

const GameRow* GamesPage::selectedGame() const {
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    return findGame(selected.front()->text().toStdString());
}

void GamesPage::showGame(const GameRow& game) {
    setLabelText(Label19, fromUtf8(game.title));
    setLabelText(Label21, fromUtf8(game.maker));
}

std::string GamesPage::configPath(const TSettingsAccessor& reg, const GameRow& game) const {
    return reg.LoadText(game.installDirValue) + std::string(game.configFile);
}

void GamesPage::showText(std::string_view text) {
    QString shown = QString::fromStdString(cp932::toUtf8(text));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Memo1->setPlainText(shown);
}

void GamesPage::message(const QString& caption, const QString& text) {
    m_services.dialogs.message(caption.toStdString(), text.toStdString(), Dialogs::Icon::None);
}

const GameRow* GamesPage::openSelectedGame(TSettingsAccessor& reg) {
    reg.SelectRoot(RootKey::LocalMachine);
    const GameRow* game = selectedGame();
    if (!game)
        return nullptr;
    showGame(*game);
    return reg.OpenPathForReading(game->gameKey) ? game : nullptr;
}

void GamesPage::ListView1Change() {
    TSettingsAccessor reg(m_services.store);
    const GameRow* game = openSelectedGame(reg);
    if (!game)
        return;
    const std::string text = toCrLf(m_files.read(configPath(reg, *game)));
    showText(text);
    Button2->setEnabled(!hasExpectedLine(*game, text));
}

void GamesPage::Button2Click() {
    Memo1->clear();
    rewriteSelectedGame();
    Button2->setEnabled(false);
}

void GamesPage::rewriteSelectedGame() {
    TSettingsAccessor reg(m_services.store);
    const GameRow* game = openSelectedGame(reg);
    if (!game || !runFileStep(reg, *game))
        return;
    switch (registerCard(reg, cardList(game->cardList))) {
    case Registration::NoList:
        break;
    case Registration::AlreadyRegistered:
        message(tr("情報"), tr("レジストリ情報は既に書き換えられてます。"));
        break;
    case Registration::Added:
        message(tr("情報"), tr("レジストリ情報を書き換えました。"));
        break;
    }
}

bool GamesPage::runFileStep(const TSettingsAccessor& reg, const GameRow& game) {
    if (game.fileStep == FileStep::None)
        return true;
    const std::string path = configPath(reg, game);
    const FileStepResult step = applyFileStep(game, m_files.read(path));
    if (step.alreadyPresent) {
        showText(step.text);
        message(tr("エラー"), tr("すでにRadeon用の設定は登録されています。"));
        return false;
    }
    m_files.save(path, step.text);
    showText(step.text);
    return true;
}

} // namespace kv
