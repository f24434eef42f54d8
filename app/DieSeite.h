#pragma once

#include "IntHtmView.h"
#include "SFileIni.h"
#include "SMapStringToString.h"
#include "SStringList.h"
#include "STimerEvent.h"
#include "Zyntra.h"

#include <functional>

// The terminal page: the page view that shows "dieSeite.htm", the device on the port chosen in
// the page, and every command the page asks for. The page asks by navigating to
// "vyx:<command>:<arguments>"; onBeforeNavigate2 cancels such a navigation and runs the command.
// Each device command opens the port, talks to the device and closes the port again before it
// returns; while it waits for the device the event loop keeps running, so the page stays alive.
//
// One feature area per source file: DieSeite.cpp (construction, shared state), DieSeiteDispatch.cpp
// (the command table), DieSeiteTerminal.cpp (Dexmode send and the output area), DieSeiteSpi.cpp
// (SPI speed), DieSeitePorts.cpp (port test, port search, firmware check), DieSeiteVexo.cpp (the
// TWI add-on tab and the one-second tick), DieSeiteScripts.cpp (script files, language switch).
//
// Threads: everything runs on the user-interface thread; the port's reader thread may call the
// virtual onReceive until the port is closed, which is why the destructor of this, the most
// derived class, closes it.
class DieSeite : public Zyntra, public STimerEvent, public IntHtmView {
public:
    DieSeite();
    // Stops the page's timers and closes the port, so no tick and no reader call reaches a page
    // that is going away.
    ~DieSeite() override;
    const char* getClassName() const override { return "DieSeite"; }

    // ---- page commands -------------------------------------------------------------------------
    // Every "vyx:" URL is cancelled (result 1) and its command run; any other URL is left to the
    // browser (result 0). Only url is used.
    int onBeforeNavigate2(IDispatch* browser, const SString& url, const SString& targetFrame,
                          VARIANT* postData, const SString& headers) override;
    // The hex text the EEPROM write sends for the page's data text (each number 0..255 as "%2X").
    // False, with a box naming the rejected token, on a syntax error; a number out of range is
    // left out with a box of its own.
    static bool eepromHexText(const SString& dataText, SString& hex);

    // ---- the output area and the Dexmode terminal ----------------------------------------------
    // Appends an HTML fragment to the page's output area (page function output).
    void outputWrite(const SString& html);
    // Empties the output area (page function outputClear).
    void outputClear();
    // A command line, already HTML-encoded.
    void outputWriteCmd(const SString& html);
    // A comment of a command list ("!echo"); taken as HTML, carriage returns become line breaks.
    void outputWriteComment(const SString& text);
    // A trimmed, HTML-encoded device answer, marked OK or ERROR, with its status code and the
    // code's text from "twiStatus.txt".
    void outputWriteAnswer(const SString& answer);
    // Status line of the terminal (dexmode_info): kind 'r' error, 'g' success, else plain.
    void setDexmodeInfo(const SString& message, char kind);
    // Opens the chosen port, checks that a Zyntra answers and switches it into Dexmode. 1: the
    // port is open and the caller closes it; 0: message says why and the port is closed.
    int enshureDexmodeAndOpenPort(SString& message);
    // Sends the lines of script ("#" comments, "!echo" text into answers, other "!" lines
    // skipped) and appends each trimmed answer to answers. 1 when every line was answered; the
    // port stays open.
    int sendDexmodeScript(const SString& script, SString& answers);
    // Sends the page's command list (wholeList) or its one-line input, showing commands and
    // answers in the output area. The result is the last exchange's.
    int dexmodeSend(bool wholeList);
    // One device command of dexmodeSend: writes the line (CRs inside, no line feed), shows it,
    // waits for the answer and shows it. 1 when the answer line came in time.
    int dexmodeSendLine(const SString& line);

    // ---- output log and command history --------------------------------------------------------
    // "HH:MM:SS.mmm" of the local time in its own span, while the page's time stamp box
    // (dexmode_timestamps) is ticked; "" otherwise.
    SString outputTimeHtml();
    // Keeps a block written to the output area for the output file: its HTML, and its line of the
    // text form (mark, then the block's text without tags and entities, line breaks as "\xB0").
    void outputLogAdd(const SString& html, const char* mark, const SString& textHtml);
    // The output area as a file: plain text, one line per command, comment and answer, or (html)
    // a page of its own with the blocks as they were shown. Lines end with CR LF.
    SString outputFileText(bool html) const;
    // vyx:dexmode:outputsave: asks for a file and writes the output area into it, as HTML when the
    // name ends in ".htm" or ".html", as text otherwise. A failure is shown in dexmode_info.
    void outputSave();
    // The command history file beside the user configuration file: "<config name>.history".
    SString historyFilePath();
    // Reads the history file and hands the lines to the page (historySet).
    void historyLoad();
    // A line sent from the one-line input: kept as the newest entry unless it repeats the newest
    // one, the oldest dropped beyond historyLimit, the file rewritten, and the page told
    // (historyAdd). Empty lines are not kept.
    void historyAdd(const SString& line);
    // The status text of a file that could not be read or written: what failed, the file and the
    // system's reason (the last line of the file error text), encoded for the page.
    static SString fileFailure(const char* what, const SString& path, const SString& errorText);
    // Asks for a file in the open dialog (or the save dialog, which adds ".txt" to a name without
    // extension), proposing the path remembered under key in section "directories"; the chosen path
    // is remembered there and the status line emptied. Empty when the dialog was cancelled.
    SString askFilePath(const char* key, const char* title, const char* filter, bool save);
    // The blocks of the output area since it was last emptied, and their text lines.
    SStringList outputLogHtml;
    SStringList outputLogText;
    // The command history, oldest first.
    SStringList commandHistory;
    static const int historyLimit = 200;

    // ---- programmer commands and SPI speed -------------------------------------------------------
    // Tries every value of the speed setting of kind ("Speed" or "Slow") against the target and
    // lists the values with their outcome in spiSpeedAusgabe<kind>.
    void spiSpeedTest(const SString& kind);
    // Sets the speed setting of kind to value and reports in spiSpeedAusgabe<kind>.
    void spiSpeedSet(const SString& kind, int value);
    // The target's signature in the answers of the signature read script, in address order
    // ("1E950F" for an ATmega328P); "" when fewer than four bytes were read.
    static SString spiSignature(const SString& answers);
    // The line under the result list: the part named by signature (read at the fastest working
    // value), or, when no value worked, what the signature read at the slowest one usually means.
    static SString spiPartText(const SString& signature, bool working);

    // ---- port test, port search, firmware check --------------------------------------------------
    // 1 when a Zyntra answered on the port; with showMessages the failures are shown in
    // zyntra_info too. Leaves the port closed.
    int testPort(const SString& portName, int showMessages);
    // Tries COM1 to COM19 and selects the first port on which a Zyntra answers.
    void portSearch();
    // Warns with a box when the version text names a firmware older than minFirmwareVersion.
    // 1 when the firmware is recent enough or its version cannot be read from the text.
    int checkFirmware(const SString& portName, const SString& version);
    // The first port testPort found but could not open for lack of permission, "" when none; the
    // port search clears it and names it when it finds no device.
    SString portDenied;

    // ---- the TWI add-on tab ----------------------------------------------------------------------
    void vexoSetTime(const SString& time);
    void vexoStartTemp();
    void vexoSetTemp();
    void vexoReadEeprom(int address, int count, int showScript);
    void vexoWriteEeprom(int address, const SString& data);
    void vexoReadTemp();
    void vexoReadClock();
    // Status line of the Vexo tab (vexo_info): kind 'r' error, 'g' success, ' ' plain.
    void setVexoInfo(const SString& message, char kind);
    // Runs a prepared script (placeholders filled, CRs in place) of the script element scriptId;
    // with showScript the script and the answers go to scriptId + "_show" / "_return".
    int vexoRunScript(const SString& scriptId, const SString& script, SString& answers, int showScript = 1);
    // The one-second tick: polls clock and temperature while the Vexo tab is shown.
    void onTimer(unsigned timerId, unsigned time, int firstValue, int secondValue) override;
    // The page has loaded: output cleared, language told to the page, the tick started once.
    void onPageComplete();
    // The page view has written the page into the document.
    void onHtmlShown() override;

    // ---- script files and language ---------------------------------------------------------------
    void scriptLoad();
    void scriptSave();
    void setLanguage(const SString& code);
    // The application's user configuration file: the main window points userConfig at the
    // application's own object; unset, the page opens the file itself (named after the program).
    SFileIni* userConfig = nullptr;
    SFileIni& getUserConfig();
    // Closes the main window; set by the main window. The language switch ends the program so.
    std::function<void()> closeMainWindow;

    // ---- page elements (by id; empty text or 0 when the element is missing) -----------------------
    SString getElementValue(const SString& id);  // input or select value
    int setElementValue(const SString& id, const SString& value);
    SString getElementText(const SString& id);  // inner text
    int setElementText(const SString& id, const SString& text);
    int setElementHtml(const SString& id, const SString& html);
    int isElementChecked(const SString& id);
    SString getElementDisplay(const SString& id);  // inline style display

    // Status wrappers of the page's style sheet.
    static SString errorHtml(const SString& text);    // "<font class='msgError'>" text "</font>"
    static SString successHtml(const SString& text);  // "<font class='msgOK'><b>" text "</font>"
    // A trace line: head followed by the bytes of data.
    static void traceWith(const char* head, const SString& data);

    // ---- the port is held by one device command at a time ----------------------------------------
    // Held for the time a page command or a tick talks to the device. Commands that would touch
    // the port while it is held are refused (showBusy); the tick skips.
    class PortUse {
    public:
        // hold false: a command that does not touch the port holds nothing.
        explicit PortUse(DieSeite& page, bool hold = true) : page(page), held(hold) {
            if (held) ++page.portUsers;
        }
        ~PortUse() {
            if (held) --page.portUsers;
        }
        PortUse(const PortUse&) = delete;
        PortUse& operator=(const PortUse&) = delete;

    private:
        DieSeite& page;
        bool held;
    };
    bool isPortBusy() const { return portUsers > 0; }
    // Shows the busy text in the status element statusId and writes a trace line for command.
    void showBusy(const SString& statusId, const SString& command);

    // ---- state -----------------------------------------------------------------------------------
    // Status code (two upper-case hex digits) -> text, loaded from "twiStatus.txt" on first use.
    SMapStringToString twiStatusTexts;
    // Lowest accepted firmware version, digits without the dot (25 for V2.5).
    int minFirmwareVersion;
    // A tick is being handled; further ticks are dropped meanwhile.
    int tickBusy;
    // The one-second tick has been started (once per program run).
    int timerStarted;

    // Time limits of one answer: a script line and a line sent from the page.
    static const int scriptLineTimeout = 800;
    static const int sendLineTimeout = 1000;

private:
    int portUsers;
    SFileIni ownUserConfig;
};
