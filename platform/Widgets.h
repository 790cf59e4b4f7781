// Small builders for the fixed-position controls of the window's pages. Every control gets
// its objectName, and a hint becomes both its tooltip and its status tip.
#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
class QColor;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

#include <string_view>

namespace kv {

// UTF-8 text from the program's tables and stores, as a QString.
QString fromUtf8(std::string_view text);

void setHint(QWidget* widget, const QString& hint);

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
// A label that shows its text as plain text and takes its size. A label out of sight is
// measured when it first comes into view.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QPoint at,
                  const QString& hint = {});
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint = {});
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint = {});
QRadioButton* makeRadioButton(QWidget* parent, const char* name, const QString& caption,
                              const QRect& geometry, const QString& hint = {});
// The window's exit button, "終了(&E)", as the summary, games and system pages place it.
QPushButton* makeExitButton(QWidget* parent, const char* name, const QRect& geometry);

// Sets a label's text and lets the label grow or shrink to it, as the window's labels do (for
// a label out of sight, when it comes into view).
void setLabelText(QLabel* label, const QString& text);

// Sizes the labels under root that still wait to come into view, so that their geometry can be
// listed without showing them.
void fitWaitingLabels(QWidget* root);

// A label's font: bold and/or a pixel height other than the window's 12.
void setLabelFont(QLabel* label, bool bold, int pixelSize = 12);

void setLabelColour(QLabel* label, const QColor& colour);

} // namespace kv
