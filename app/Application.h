// Start-up: the application and its title, the machine folder, the main window, then the
// event loop or the headless render.
#pragma once

namespace kv {

int runApplication(int argc, char** argv);

} // namespace kv
