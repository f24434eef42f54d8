#include "WindowSystem.h"

namespace {
WindowSystem* current = nullptr;
}

WindowSystem& windowSystem() {
    return current ? *current : platformWindowSystem();
}

WindowSystem* setWindowSystem(WindowSystem* ws) {
    WindowSystem* previous = current;
    current = ws;
    return previous;
}
