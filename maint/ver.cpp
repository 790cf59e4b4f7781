#include "ver.h"

#include "Dialogs.h"
#include "HandlerGuard.h"
#include "JpegDecoder.h"
#include "Launcher.h"
#include "Logo.h"
#include "Widgets.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

namespace kv {

namespace {

constexpr int ClientWidth = 367;
constexpr int ClientHeight = 203;
const QColor Navy(0, 0, 128);

// Our own addresses. The mail link starts a mail to MailAddress.
constexpr const char* SupportPage = "https://kavendel.example.org/";
constexpr const char* MailAddress = "support@kavendel.example.org";
constexpr const char* CardPage = "https://kavendel.example.org/radeon/";

// The panel's frame: a lowered outer bevel around a raised inner one.
class BevelPanel final : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect outer = rect();
        qDrawShadePanel(&painter, outer, palette(), true, 1);
        qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

struct LinkRow {
    const char* name;
    QPoint at;
    int pixelSize;
    const char* hint;
    const char* address;
    QLabel* TAboutBox::*member;
    void (TAboutBox::*handler)();
};

// The three addresses; each shows its address and opens its target on a click.
constexpr LinkRow LinkRows[] = {
    {"Label15", {121, 98}, 12, "", CardPage, &TAboutBox::Label15, &TAboutBox::Label15Click},
    {"Label6",
     {121, 113},
     13,
     QT_TRANSLATE_NOOP("kv::TAboutBox", "クリックしてメール送ってね。"),
     MailAddress,
     &TAboutBox::Label6,
     &TAboutBox::Label6Click},
    {"Label4",
     {121, 129},
     13,
     QT_TRANSLATE_NOOP("kv::TAboutBox", "クリックするとホームページに行けます。"),
     SupportPage,
     &TAboutBox::Label4,
     &TAboutBox::Label4Click},
};

void condense(QLabel* label, qreal letterSpacing) {
    QFont font = label->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    label->setFont(font);
    label->adjustSize();
}

} // namespace

TAboutBox::TAboutBox(const Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_services(services) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("バージョン情報"));
    setFixedSize(ClientWidth, ClientHeight);
    setModal(true);
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    m_logo = decodeJpeg(logoJpeg());
    buildPanel();

    OKButton = makeButton(this, "OKButton", QStringLiteral("OK"), {135, 172, 90, 25});
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this,
            [this] { runGuarded(m_services.dialogs, [this] { OKButtonClick(); }); });
    OKButton->setFocus();
}

void TAboutBox::buildPanel() {
    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(4, 8, 357, 153);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProgramIcon->setScaledContents(true);
    // The control takes the picture's size; the drawing is centred and scaled to the control.
    ProgramIcon->setGeometry(QRect({8, 16}, m_logo.isNull() ? QSize(102, 51) : m_logo.size()));
    ProgramIcon->setPixmap(QPixmap::fromImage(m_logo));
    setHint(ProgramIcon, tr("３Ｄが速いATI"));
    m_clickHandlers[ProgramIcon] = &TAboutBox::ProgramIconClick;

    makeLabel(Panel1, "ProductName", QStringLiteral("Product Name"), {112, 8});
    setLabelFont(makeLabel(Panel1, "Label1", QStringLiteral("ATI Kavendel"), {144, 24}), true, 16);
    makeLabel(Panel1, "Version", tr("Version："), {112, 48});
    setLabelFont(makeLabel(Panel1, "Label3", QStringLiteral("0.97"), {160, 48}), true);
    QLabel* date = makeLabel(Panel1, "Label2", QStringLiteral("2001/05/04"), {288, 48});
    makeLabel(Panel1, "Copyright", QStringLiteral("Copyright (C) 2001 Kavendel Project"), {112, 64},
              tr("いつもどうもです。"));
    makeLabel(Panel1, "Label10", tr("言語：C++20 / Qt 6"), {49, 82});
    QLabel* maker = makeLabel(Panel1, "Label14", tr("ATI technologies Inc："), {7, 98});
    // The window's Gothic substitute sets Latin text wider than the panel was laid out for: drawn
    // plainly, the date would run into the panel's frame and the maker's link would cover the colon.
    condense(date, -1);
    condense(maker, -0.5);
    makeLabel(Panel1, "Label5", tr("メールアドレス："), {40, 114});
    QLabel* comments = makeLabel(Panel1, "Comments", tr("サポートホームページ："), {2, 130});
    comments->setWordWrap(true);
    comments->setFixedWidth(comments->sizeHint().width());

    for (const LinkRow& row : LinkRows) {
        QLabel* link = makeLabel(Panel1, row.name, QString::fromLatin1(row.address), row.at, tr(row.hint));
        setLabelColour(link, Navy);
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
        setLabelFont(link, false, row.pixelSize);
        link->setCursor(Qt::PointingHandCursor);
        m_clickHandlers[link] = row.handler;
        this->*row.member = link;
    }
    for (const auto& [widget, handler] : m_clickHandlers)
        widget->installEventFilter(this);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    const auto it = m_clickHandlers.find(watched);
    if (it == m_clickHandlers.end() ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease))
        return QDialog::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return QDialog::eventFilter(watched, event);
    // A click is a press and a release both on the control; a release elsewhere cancels it.
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressed = watched;
        return true;
    }
    const bool clicked =
        m_pressed == watched && static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
    m_pressed = nullptr;
    if (clicked)
        runGuarded(m_services.dialogs, [this, handler = it->second] { (this->*handler)(); });
    return true;
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TAboutBox::openTarget(const QString& target) {
    m_services.launcher.open(target);
}

void TAboutBox::OKButtonClick() {
    accept();
}

void TAboutBox::Label4Click() {
    openTarget(QString::fromLatin1(SupportPage));
}

void TAboutBox::Label6Click() {
    openTarget(QStringLiteral("mailto:") + QString::fromLatin1(MailAddress));
}

void TAboutBox::Label15Click() {
    openTarget(QString::fromLatin1(CardPage));
}

void TAboutBox::ProgramIconClick() {
    m_services.dialogs.message(tr("情報"), tr("Radeon速いじょ～"), Dialogs::Icon::Information);
}

} // namespace kv
