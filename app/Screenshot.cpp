#include "Screenshot.h"

#include "Console.h"
#include "Main.h"
#include "Widgets.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextStream>

namespace kv {

namespace {

QString clean(QString text) {
    return text.replace(u'\t', u' ').replace(u'\n', QStringLiteral("\\n"));
}

// The tab control that offers w as one of its pages, or null. A page's parent is the tab
// control's page stack.
QTabWidget* tabsOffering(const QWidget* w) {
    QWidget* stack = w->parentWidget();
    auto* tabs = qobject_cast<QTabWidget*>(stack ? stack->parentWidget() : nullptr);
    return tabs && tabs->indexOf(w) >= 0 ? tabs : nullptr;
}

// A list's item captions in order, joined by "|".
template <typename ItemText> QString joinedItems(int count, ItemText itemText) {
    QStringList items;
    for (int i = 0; i < count; ++i)
        items << itemText(i);
    return items.join(u'|');
}

QString textOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w))
        return t->toPlainText().left(200);
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return joinedItems(c->count(), [c](int i) { return c->itemText(i); });
    if (auto* l = qobject_cast<const QListWidget*>(w))
        return joinedItems(l->count(), [l](int i) { return l->item(i)->text(); });
    // A page of a tab control is captioned by its tab.
    if (const QTabWidget* tabs = tabsOffering(w))
        return tabs->tabText(tabs->indexOf(w));
    return w->windowTitle();
}

QString stateOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->isCheckable() ? (b->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked"))
                                : QString();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return QStringLiteral("index=%1").arg(c->currentIndex());
    if (auto* s = qobject_cast<const QAbstractSlider*>(w))
        return QStringLiteral("position=%1").arg(s->value());
    if (auto* l = qobject_cast<const QListWidget*>(w))
        return QStringLiteral("index=%1").arg(l->currentRow());
    if (auto* t = qobject_cast<const QTabWidget*>(w))
        return QStringLiteral("index=%1").arg(t->currentIndex());
    // Whether a tab page's tab is offered to the user or withheld (hidden).
    if (const QTabWidget* tabs = tabsOffering(w))
        return tabs->isTabVisible(tabs->indexOf(w)) ? QStringLiteral("offered") : QStringLiteral("withheld");
    // A radio group tells its selected item through this property.
    if (const QVariant item = w->property("itemIndex"); item.isValid())
        return QStringLiteral("index=%1").arg(item.toInt());
    return {};
}

// The tab page a control sits on, and its path of page names from the window.
QWidget* pageOf(QWidget* w, QString& path) {
    QWidget* page = nullptr;
    QStringList names;
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (tabsOffering(p)) {
            names.prepend(p->objectName());
            if (!page)
                page = p;
        }
    }
    path = names.isEmpty() ? w->window()->objectName() : names.join(u'/');
    return page ? page : w->window();
}

bool insideVisibleArea(QWidget* w, QWidget* page) {
    const QRect rect(w->mapTo(page, QPoint(0, 0)), w->size());
    return QRect(QPoint(0, 0), page->size()).contains(rect);
}

} // namespace

QString controlsTable(QWidget* root) {
    QString out;
    QTextStream stream(&out);
    stream << "page\tobjectName\tclass\ttext\thint\tenabled\tvisibleArea\tstate\tgeometry\n";
    // The window itself first, then everything in it, the windows it owns among them.
    QList<QWidget*> widgets{root};
    widgets += root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString path;
        QWidget* page = pageOf(w, path);
        const QRect g = w->geometry();
        stream << path << '\t' << w->objectName() << '\t' << w->metaObject()->className() << '\t'
               << clean(textOf(w)) << '\t' << clean(w->toolTip()) << '\t' << (w->isEnabled() ? "yes" : "no")
               << '\t' << (insideVisibleArea(w, page) ? "yes" : "no") << '\t' << stateOf(w) << '\t'
               << QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()) << '\n';
    }
    return out;
}

void removeEarlierRender(const std::filesystem::path& dir) {
    // "07-TabSheet2-TabSheet7.png": two digits, a dash, a name; the user's own pictures differ.
    static const QRegularExpression picture(QStringLiteral("^[0-9][0-9]-[A-Za-z0-9-]+\\.png$"));
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == "controls.tsv" || name == "messages.txt" ||
            picture.match(QString::fromStdString(name)).hasMatch())
            std::filesystem::remove(it->path(), ec);
    }
}

void saveScreenshot(QWidget& window, const std::filesystem::path& file, const Console& console) {
    std::filesystem::create_directories(file.parent_path());
    const QString name = QFile::decodeName(file.c_str());
    window.grab().save(name);
    console.report(name);
}

namespace {

// A list filled as its page came into view lays its items out later, from a timer, and only then
// learns whether they fit; the scroll bar it then needs comes with a layout request after that.
// The live window gets there within a moment. The render lays them out at once and lets the
// scroll bars follow before it takes the picture.
void settleItemViews(QWidget* window) {
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        if (view->isVisible())
            view->doItemsLayout();
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
}

} // namespace

int renderScreenshots(TForm1& form, const std::filesystem::path& dir, const Console& console) {
    std::filesystem::create_directories(dir);
    const QString base = QString::fromStdString(dir.string());
    form.show();
    QApplication::processEvents();
    int shot = 0;
    const auto savePicture = [&](QWidget* window, const QString& name) {
        const QString file =
            QStringLiteral("%1/%2-%3.png").arg(base).arg(++shot, 2, 10, QLatin1Char('0')).arg(name);
        saveScreenshot(*window, QFile::encodeName(file).toStdString(), console);
    };
    const auto save = [&](const QString& name) {
        QApplication::processEvents();
        settleItemViews(&form);
        savePicture(&form, name);
    };
    for (int i = 0; i < form.PageControl1->count(); ++i) {
        form.PageControl1->setCurrentIndex(i);
        if (form.PageControl1->currentWidget() != form.TabSheet2) {
            save(form.PageControl1->currentWidget()->objectName());
            continue;
        }
        for (int j = 0; j < form.PageControl2->count(); ++j) {
            if (!form.PageControl2->isTabVisible(j))
                continue;
            form.PageControl2->setCurrentIndex(j);
            save(QStringLiteral("TabSheet2-") + form.PageControl2->currentWidget()->objectName());
        }
    }
    // The about window is shown without its modal loop, which would wait for a user; its labels
    // take their sizes when they come into view.
    if (auto* about = form.findChild<QDialog*>(QStringLiteral("AboutBox"))) {
        about->show();
        QApplication::processEvents();
        savePicture(about, QStringLiteral("AboutBox"));
        about->hide();
    }
    QFile table(base + QStringLiteral("/controls.tsv"));
    if (!table.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return console.error(
            console.texts().text(QT_TRANSLATE_NOOP("CommandLine", "%1 に書き込めません"), {table.fileName()}),
            ExitFailure);
    // Pages never shown, such as a withheld one, list their labels at the size of their texts.
    fitWaitingLabels(&form);
    table.write(controlsTable(&form).toUtf8());
    console.report(table.fileName());
    return 0;
}

} // namespace kv
