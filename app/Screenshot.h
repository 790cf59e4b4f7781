// The headless render: every page and nested page, visited in tab order as a user would, saved
// as PNG, and a table of every named control.
#pragma once

#include <QString>

#include <filesystem>

class QWidget;

namespace kv {

class TForm1;

// Returns the process exit code.
int renderScreenshots(TForm1& form, const std::filesystem::path& dir);

// One line per named control: page path, objectName, class, text, hint, enabled, inside the
// page's visible area, state, geometry.
QString controlsTable(QWidget* root);

} // namespace kv
