// Tabs with a narrower padding beside their captions, so that a row of long captions fits its
// bar without scroll arrows, as the Windows tab control draws them.
#pragma once

class QTabWidget;

namespace kv {

void useCompactTabs(QTabWidget* tabs);

} // namespace kv
