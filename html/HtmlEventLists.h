#pragma once

#include "OleTypes.h"

#include <cstdint>

// The page's document and element events with the platform's DISPIDs. CANCEL marks events whose
// handler may cancel the page's default action (the result goes back as a VARIANT_BOOL), NOTIFY
// the others. The sinks build their handlers and their dispatch from these lists.

// Events of the page's own objects sit in a block of their own.
constexpr DISPID htmlObjectEvent(int n) {
    return DISPID(int32_t(0x80010000u + unsigned(n)));
}

#define VYX_HTML_DOCUMENT_EVENTS(CANCEL, NOTIFY)   \
    CANCEL(onHelp, htmlObjectEvent(10))            \
    CANCEL(onClick, -600)                          \
    CANCEL(onDblClick, -601)                       \
    NOTIFY(onKeyDown, -602)                        \
    NOTIFY(onKeyUp, -604)                          \
    CANCEL(onKeyPress, -603)                       \
    NOTIFY(onMouseDown, -605)                      \
    NOTIFY(onMouseMove, -606)                      \
    NOTIFY(onMouseUp, -607)                        \
    NOTIFY(onMouseOut, htmlObjectEvent(9))         \
    NOTIFY(onMouseOver, htmlObjectEvent(8))        \
    NOTIFY(onReadyStateChange, -609)               \
    CANCEL(onBeforeUpdate, htmlObjectEvent(4))     \
    NOTIFY(onAfterUpdate, htmlObjectEvent(5))      \
    CANCEL(onRowExit, htmlObjectEvent(6))          \
    NOTIFY(onRowEnter, htmlObjectEvent(7))         \
    CANCEL(onDragStart, htmlObjectEvent(11))       \
    CANCEL(onSelectStart, htmlObjectEvent(12))     \
    NOTIFY(onErrorUpdate, htmlObjectEvent(13))     \
    CANCEL(onContextMenu, 1023)                    \
    CANCEL(onStop, 1026)                           \
    NOTIFY(onRowsDelete, htmlObjectEvent(32))      \
    NOTIFY(onRowsInserted, htmlObjectEvent(33))    \
    NOTIFY(onCellChange, htmlObjectEvent(34))      \
    NOTIFY(onPropertyChange, htmlObjectEvent(19))  \
    NOTIFY(onDatasetChanged, htmlObjectEvent(14))  \
    NOTIFY(onDataAvailable, htmlObjectEvent(15))   \
    NOTIFY(onDatasetComplete, htmlObjectEvent(16)) \
    CANCEL(onBeforeEditFocus, 1027)                \
    NOTIFY(onSelectionChange, 1037)                \
    CANCEL(onControlSelect, 1036)                  \
    CANCEL(onMouseWheel, 1033)                     \
    NOTIFY(onFocusIn, 1048)                        \
    NOTIFY(onFocusOut, 1049)                       \
    NOTIFY(onActivate, 1044)                       \
    NOTIFY(onDeactivate, 1045)                     \
    CANCEL(onBeforeActivate, 1047)                 \
    CANCEL(onBeforeDeactivate, 1034)

#define VYX_HTML_ELEMENT_EVENTS(CANCEL, NOTIFY)    \
    CANCEL(onHelp, htmlObjectEvent(10))            \
    CANCEL(onClick, -600)                          \
    CANCEL(onDblClick, -601)                       \
    CANCEL(onKeyPress, -603)                       \
    NOTIFY(onKeyDown, -602)                        \
    NOTIFY(onKeyUp, -604)                          \
    NOTIFY(onMouseOut, htmlObjectEvent(9))         \
    NOTIFY(onMouseOver, htmlObjectEvent(8))        \
    NOTIFY(onMouseMove, -606)                      \
    NOTIFY(onMouseDown, -605)                      \
    NOTIFY(onMouseUp, -607)                        \
    CANCEL(onSelectStart, htmlObjectEvent(12))     \
    NOTIFY(onFilterChange, htmlObjectEvent(17))    \
    CANCEL(onDragStart, htmlObjectEvent(11))       \
    CANCEL(onBeforeUpdate, htmlObjectEvent(4))     \
    NOTIFY(onAfterUpdate, htmlObjectEvent(5))      \
    CANCEL(onErrorUpdate, htmlObjectEvent(13))     \
    CANCEL(onRowExit, htmlObjectEvent(6))          \
    NOTIFY(onRowEnter, htmlObjectEvent(7))         \
    NOTIFY(onDatasetChanged, htmlObjectEvent(14))  \
    NOTIFY(onDataAvailable, htmlObjectEvent(15))   \
    NOTIFY(onDatasetComplete, htmlObjectEvent(16)) \
    NOTIFY(onLoseCapture, htmlObjectEvent(18))     \
    NOTIFY(onPropertyChange, htmlObjectEvent(19))  \
    NOTIFY(onScroll, 1014)                         \
    NOTIFY(onFocus, htmlObjectEvent(1))            \
    NOTIFY(onBlur, htmlObjectEvent(0))             \
    NOTIFY(onResize, 1016)                         \
    CANCEL(onDrag, htmlObjectEvent(20))            \
    NOTIFY(onDragEnd, htmlObjectEvent(21))         \
    CANCEL(onDragEnter, htmlObjectEvent(22))       \
    CANCEL(onDragOver, htmlObjectEvent(23))        \
    NOTIFY(onDragLeave, htmlObjectEvent(24))       \
    CANCEL(onDrop, htmlObjectEvent(25))            \
    CANCEL(onBeforeCut, htmlObjectEvent(29))       \
    CANCEL(onCut, htmlObjectEvent(26))             \
    CANCEL(onBeforeCopy, htmlObjectEvent(30))      \
    CANCEL(onCopy, htmlObjectEvent(27))            \
    CANCEL(onBeforePaste, htmlObjectEvent(31))     \
    CANCEL(onPaste, htmlObjectEvent(28))           \
    CANCEL(onContextMenu, 1023)                    \
    NOTIFY(onRowsDelete, htmlObjectEvent(32))      \
    NOTIFY(onRowsInserted, htmlObjectEvent(33))    \
    NOTIFY(onCellChange, htmlObjectEvent(34))      \
    NOTIFY(onReadyStateChange, -609)               \
    NOTIFY(onLayoutComplete, 1030)                 \
    NOTIFY(onPage, 1031)                           \
    NOTIFY(onMouseEnter, 1042)                     \
    NOTIFY(onMouseLeave, 1043)                     \
    NOTIFY(onActivate, 1044)                       \
    NOTIFY(onDeactivate, 1045)                     \
    CANCEL(onBeforeDeactivate, 1034)               \
    CANCEL(onBeforeActivate, 1047)                 \
    NOTIFY(onFocusIn, 1048)                        \
    NOTIFY(onFocusOut, 1049)                       \
    NOTIFY(onMove, 1035)                           \
    CANCEL(onControlSelect, 1036)                  \
    CANCEL(onMoveStart, 1038)                      \
    NOTIFY(onMoveEnd, 1039)                        \
    CANCEL(onResizeStart, 1040)                    \
    NOTIFY(onResizeEnd, 1041)
