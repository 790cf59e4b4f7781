// The page "情報" (TabSheet6): what the driver's card database says about the card, read each
// time the page is shown, with three facts repeated from the summary page.
#pragma once

#include <QObject>

#include <map>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QWidget;

namespace kv {

class SettingsStore;

// How a card database text is shown (CP932 bytes in, CP932 bytes out).
// A text value shows what comes before its first "("; a value without one shows whole.
std::string cardTextShown(std::string_view value);
// A flag value is set when the character just before its first ")" is "1"; a value without
// ")" carries no "1" in that place and so is not set.
bool cardFlagSet(std::string_view value);

class CardPage : public QObject {
    Q_OBJECT
public:
    // The summary page's labels the page repeats.
    struct SummaryLabels {
        const QLabel* boardName;
        const QLabel* memoryType;
        const QLabel* memorySize;
    };

    CardPage(QWidget* sheet, SettingsStore& store, const SummaryLabels& summary);

    void TabSheet6Show();

    QLabel* label(std::string_view control) const;

private:
    SettingsStore& m_store;
    SummaryLabels m_summary;
    std::map<std::string, QLabel*, std::less<>> m_labels; // by control name
};

} // namespace kv
