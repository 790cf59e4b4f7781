#include "CompactTabs.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>

namespace kv {

namespace {

// The room left and right of a tab's caption together, in pixels.
constexpr int TabPadding = 8;

class CompactTabStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return TabPadding;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

void useCompactTabs(QTabWidget* tabs) {
    auto* style = new CompactTabStyle(QStyleFactory::create(QApplication::style()->name()));
    // The tab bar is the tab control's first child, so it is destroyed before its style.
    style->setParent(tabs);
    tabs->tabBar()->setStyle(style);
}

} // namespace kv
