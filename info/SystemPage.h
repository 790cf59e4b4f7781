// The system page (TabSheet5 "その他"): the operating system, the processor's maker, name,
// identity and instruction sets, and its measured clock. Everything but the version text is
// gathered anew each time the page is shown.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace kv {

class Dialogs;
class MillisecondClock;
class OsVersionQuery;
class SettingsStore;
class TPentiumMMX;
struct MatchFields;
struct Services;

class SystemPage : public QObject {
    Q_OBJECT
public:
    SystemPage(QWidget* sheet, TPentiumMMX& cpu, const Services& services);

    // The page's show handler: version, OS name, maker, features, identity, clock, name.
    void TabSheet4Show();
    // Measures the clock again, with the button disabled meanwhile.
    void retryClick();

    // What the last measurement left for the catalogue; 0 until one was made.
    std::int32_t measuredClock() const { return m_measuredClock; }

    QFrame* Panel4 = nullptr;
    QPushButton* retry = nullptr;
    QLabel* Label64 = nullptr;  // maker
    QLabel* Label62 = nullptr;  // name
    QLabel* Label71 = nullptr;  // detail
    QLabel* Label42 = nullptr;  // OS
    QLabel* Label43 = nullptr;  // version
    QLabel* Label81 = nullptr;  // vendor text
    QLabel* Label78 = nullptr;  // family
    QLabel* Label77 = nullptr;  // model
    QLabel* Label74 = nullptr;  // stepping
    QLabel* Label69 = nullptr;  // CPUID
    QLabel* Label70 = nullptr;  // RDTSC
    QLabel* Label60 = nullptr;  // MMX
    QLabel* Label82 = nullptr;  // 3DNow!
    QLabel* Label114 = nullptr; // Enhanced 3DNow!
    QLabel* Label83 = nullptr;  // SSE
    QLabel* Label164 = nullptr; // SSE2
    QLabel* Label58 = nullptr;  // clock

private:
    void showVersion();
    void showOsName();
    void showFeatures();
    void showIdentity();
    void showClock();
    void showName();
    // The name label's hint: the catalogue row that matched, or that none did.
    static QString nameHint(const MatchFields& match);

    TPentiumMMX& m_cpu;
    SettingsStore& m_store;
    Dialogs& m_dialogs;
    OsVersionQuery& m_osVersion;
    MillisecondClock& m_clock;
    QString m_versionText; // kept for the program's life once known
    std::int32_t m_measuredClock = 0;
};

} // namespace kv
