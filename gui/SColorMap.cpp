#include "SColorMap.h"

namespace {
struct NamedColor {
    const char* name;
    COLORREF color;
};
const NamedColor kColors[] = {
    {"black", rgb(0, 0, 0)},        {"white", rgb(255, 255, 255)},  {"red", rgb(255, 0, 0)},
    {"green", rgb(0, 128, 0)},      {"lime", rgb(0, 255, 0)},       {"blue", rgb(0, 0, 255)},
    {"yellow", rgb(255, 255, 0)},   {"cyan", rgb(0, 255, 255)},     {"magenta", rgb(255, 0, 255)},
    {"gray", rgb(128, 128, 128)},   {"silver", rgb(192, 192, 192)}, {"maroon", rgb(128, 0, 0)},
    {"navy", rgb(0, 0, 128)},       {"olive", rgb(128, 128, 0)},    {"purple", rgb(128, 0, 128)},
    {"teal", rgb(0, 128, 128)},     {"orange", rgb(255, 165, 0)},   {"buttonface", rgb(240, 240, 240)},
    {"window", rgb(255, 255, 255)}, {"windowtext", rgb(0, 0, 0)},
};
}  // namespace

SColorMap& globalColorMap() {
    static SColorMap* map = new SColorMap();
    return *map;
}

bool SColorMap::lookup(const SString& name, COLORREF& color) const {
    for (const NamedColor& c : kColors) {
        if (name.compare(SString(c.name), true) == 0) {
            color = c.color;
            return true;
        }
    }
    return false;
}

COLORREF SColorMap::getColor(const SString& name, COLORREF fallback) const {
    COLORREF color = fallback;
    lookup(name, color);
    return color;
}
