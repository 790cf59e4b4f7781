// A planned write said in the user's words before it happens (--dry-run) and after: a value that
// a setting of Kavendel owns as the window shows it (its page, its caption, old → new), any
// other value as its key, name and data; each file created, replaced or deleted with its size.
#pragma once

#include "WritePlan.h"

#include <QStringList>

namespace kv {

class ConsoleTexts;

// One line per registry change, then one per file.
QStringList describedPlan(const WritePlan& plan, const ConsoleTexts& texts);

// One line per file only.
QStringList describedFiles(const std::vector<PlannedFile>& files, const ConsoleTexts& texts);

} // namespace kv
