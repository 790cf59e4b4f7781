#include "QtDialogs.h"

#include "Widgets.h"

#include <QApplication>
#include <QMessageBox>

namespace kv {

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::message(std::string_view caption, std::string_view text, Icon icon) {
    QMessageBox box(toQt(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // texts may carry names and paths from the registry
    box.exec();
}

void QtDialogs::failure(std::string_view caption, std::string_view text, std::string_view reason) {
    QMessageBox box(QMessageBox::Critical, fromUtf8(caption), fromUtf8(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(fromUtf8(reason));
    box.exec();
}

bool QtDialogs::confirm(std::string_view caption, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, fromUtf8(caption), fromUtf8(text),
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Ok;
}

} // namespace kv
