#include "SDebug.h"

SDebug& globalDebug() {
    static SDebug* debug = new SDebug();
    return *debug;
}
