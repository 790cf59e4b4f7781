// TAboutBox: the about window with the program's name, version and date, the logo and three
// addresses that open in the desktop's browser or mail program.
#pragma once

#include "Services.h"

#include <QDialog>
#include <QImage>

#include <map>

class QFrame;
class QLabel;
class QPushButton;

namespace kv {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const Services& services, QWidget* parent = nullptr);

    void OKButtonClick();
    void Label4Click();
    void Label6Click();
    void Label15Click();
    void ProgramIconClick();

    // The logo as decoded when the window was created.
    const QImage& logo() const { return m_logo; }

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* Label4 = nullptr;  // the support web page
    QLabel* Label6 = nullptr;  // the mail address
    QLabel* Label15 = nullptr; // the card page
    QPushButton* OKButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPanel();
    void openTarget(const QString& target);

    Services m_services;
    QImage m_logo;
    std::map<QObject*, void (TAboutBox::*)()> m_clickHandlers;
    QObject* m_pressed = nullptr; // the clickable control the left button went down on
};

} // namespace kv
