#include "Widgets.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace kv {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

namespace {

template <typename W> W* place(W* widget, const char* name, const QRect& geometry, const QString& hint) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    if (!hint.isEmpty())
        setHint(widget, hint);
    return widget;
}

// A label that takes the size of its text. While it is out of sight it waits until it first
// comes into view, so that the texts of pages not yet shown are not measured at start.
class FittedLabel final : public QLabel {
public:
    using QLabel::QLabel;

    void fit() {
        m_fitPending = !isVisible();
        if (m_fitPending)
            setAttribute(Qt::WA_Resized); // sized here when shown, not once more by Qt's show()
        else
            adjustSize();
    }
    void fitIfWaiting() {
        if (m_fitPending) {
            m_fitPending = false;
            adjustSize();
        }
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Show)
            fitIfWaiting();
        return QLabel::event(event);
    }

private:
    bool m_fitPending = false;
};

void fitToText(QLabel* label) {
    if (auto* fitted = dynamic_cast<FittedLabel*>(label))
        fitted->fit();
    else
        label->adjustSize();
}

} // namespace

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    return place(new QGroupBox(caption, parent), name, geometry, {});
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QPoint at, const QString& hint) {
    auto* label = new FittedLabel(text, parent);
    // The window's labels carry no markup, and those that show registry or processor texts must
    // show a '<' in them as it is.
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->fit();
    if (!hint.isEmpty())
        setHint(label, hint);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    return place(new QPushButton(caption, parent), name, geometry, hint);
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    return place(new QCheckBox(caption, parent), name, geometry, hint);
}

QRadioButton* makeRadioButton(QWidget* parent, const char* name, const QString& caption,
                              const QRect& geometry, const QString& hint) {
    return place(new QRadioButton(caption, parent), name, geometry, hint);
}

QPushButton* makeExitButton(QWidget* parent, const char* name, const QRect& geometry) {
    return makeButton(parent, name, QCoreApplication::translate("Widgets", "終了(&E)"), geometry,
                      QCoreApplication::translate("Widgets", "Kavendelを終了します。"));
}

void setLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    fitToText(label);
}

void fitWaitingLabels(QWidget* root) {
    for (QLabel* label : root->findChildren<QLabel*>())
        if (auto* fitted = dynamic_cast<FittedLabel*>(label))
            fitted->fitIfWaiting();
}

void setLabelFont(QLabel* label, bool bold, int pixelSize) {
    QFont font = label->font();
    font.setBold(bold);
    font.setPixelSize(pixelSize);
    label->setFont(font);
    fitToText(label);
}

void setLabelColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace kv
