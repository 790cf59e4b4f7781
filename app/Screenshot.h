// The headless render: every page and nested page, visited in tab order as a user would, saved
// as PNG, and a table of every named control.
#pragma once

#include <QString>

#include <filesystem>

class QWidget;

namespace kv {

class Console;
class TForm1;

// Returns the process exit code. Each file written is listed on console.
int renderScreenshots(TForm1& form, const std::filesystem::path& dir, const Console& console);

// Removes what an earlier render left in dir (its numbered pictures, controls.tsv,
// messages.txt), so that the folder holds this run's files only; other files stay.
void removeEarlierRender(const std::filesystem::path& dir);

// Saves window's picture as file, a PNG, making its folder as needed, and lists it on console.
void saveScreenshot(QWidget& window, const std::filesystem::path& file, const Console& console);

// One line per named control: page path, objectName, class, text, hint, enabled, inside the
// page's visible area, state, geometry.
QString controlsTable(QWidget* root);

} // namespace kv
