// Kavendel's start-up: the application, its title and fonts, the machine folder, the main
// window, then the event loop (or the headless render of every page).
#include "Application.h"

int main(int argc, char** argv) {
    return kv::runApplication(argc, argv);
}
