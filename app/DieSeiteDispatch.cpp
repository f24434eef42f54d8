// Page commands: every "vyx:<command>:<arguments>" navigation of the page is cancelled here and
// its command run. Commands that talk to the device hold the port for their whole run; one that
// arrives while another still waits for the device is refused with a busy text, never nested.
#include "DieSeite.h"

#include "Dialogs.h"
#include "SDebug.h"
#include "SNumList.h"

namespace {

// Copies the bytes as they are: URL and page texts are data, never looked up as localisable texts.

}  // namespace

bool DieSeite::eepromHexText(const SString& dataText, SString& hex) {
    SNumList numbers;
    SString rejected;
    if (!numbers.parse(dataText, true, &rejected)) {
        SString text("Syntaxfehler in den Daten bei:\n");
        text.append(rejected);
        dialogs().messageBox(text, "Info", MB_ICONINFORMATION);
        return false;
    }
    for (int i = 0; i < numbers.getCount(); ++i) {
        const int value = numbers.getAt(i);
        if (value >= 0 && value <= 255) {
            hex.appendFormat("%2X", value);
            continue;
        }
        SString text("Ung\xFCltge Zahl in den Daten (0-255):\n");
        text.append(SString::fromInt(value, true, 10));
        dialogs().messageBox(text, "Info", MB_ICONINFORMATION);
    }
    return true;
}

int DieSeite::onBeforeNavigate2(IDispatch* /*browser*/, const SString& url, const SString& /*targetFrame*/,
                                VARIANT* /*postData*/, const SString& /*headers*/) {
    SString line("DieSeite::onBeforeNavigate2(..) url:");
    globalDebug().trace(line.append(url));
    int ok = 1;
    int cancel = 0;

    if (url.startsWith("vyx:")) {
        line = "DieSeite::onBeforeNavigate2(..): ";
        globalDebug().trace(line.append(url));
        cancel = 1;
        const SString port = getElementValue("port");
        SString arg;
        arg.append(url);
        arg.splitOff(":");
        const SString cmd = arg.splitOff(":");

        // The status element of a command that talks to the device; empty for the others.
        SString statusId;
        if (cmd == "testPort" || cmd == "portSearch" || cmd == "modus" || cmd == "smartcmd")
            statusId = "zyntra_info";
        else if (cmd == "spispeedtest" || cmd == "spispeedset") {
            SString kind;
            kind.append(arg);
            statusId = SString("spiSpeedAusgabe") + kind.splitOff(":");
        } else if (cmd.startsWith("vexo_"))
            statusId = "vexo_info";
        else if (cmd == "dexmode" && arg.startsWith("send"))
            statusId = "dexmode_info";

        if (!statusId.isEmpty() && isPortBusy()) {
            showBusy(statusId, url);
            ok = 0;
        } else {
            PortUse use(*this, !statusId.isEmpty());
            if (cmd == "setLang") {
                setLanguage(arg);
            } else if (cmd == "testPort") {
                testPort(port, 1);
            } else if (cmd == "portSearch") {
                portSearch();
            } else if (cmd == "modus" || cmd == "smartcmd") {
                ok = open(port);
                if (ok) {
                    ok = sendCmd(arg);
                    close(0);
                    purge();
                } else if (isOpen()) {
                    // Opened but its line could not be set: not left open behind the page's back.
                    close(0);
                }
            } else if (cmd == "spispeedtest") {
                spiSpeedTest(arg);
            } else if (cmd == "spispeedset") {
                const SString kind = arg.splitOff(":");
                spiSpeedSet(kind, arg.toInt());
            } else if (cmd == "vexo_setTime") {
                vexoSetTime(arg);
            } else if (cmd == "vexo_setTemp") {
                vexoSetTemp();
            } else if (cmd == "vexo_startTemp") {
                vexoStartTemp();
            } else if (cmd == "vexo_readEeprom") {
                const int address = getElementValue("vexoEepromReadAdr").toInt();
                const int count = getElementValue("vexoEepromReadAnz").toInt();
                SString trace;
                trace.format("DieSeite::onBeforeNavigate2(..) vexo_readEeprom adr=%d anz=%d", address, count);
                globalDebug().trace(trace);
                vexoReadEeprom(address, count, 1);
            } else if (cmd == "vexo_writeEeprom") {
                const SString address = getElementValue("vexoEepromWriteAdr");
                SString hex;
                if (eepromHexText(getElementValue("vexoEepromWriteData"), hex))
                    vexoWriteEeprom(address.toInt(), hex);
            } else if (cmd == "dexmode") {
                if (arg == "output_clear")
                    outputClear();
                else if (arg == "scriptload")
                    scriptLoad();
                else if (arg == "scriptsave")
                    scriptSave();
                else if (arg == "outputsave")
                    outputSave();
                else if (arg.startsWith("send"))
                    ok = dexmodeSend(arg == "sendList");
            }
        }
    }

    line = " DieSeite::onBeforeNavigate2(..)(";
    line.append(url);
    line.appendFormat(") ENDE: ok=%d, cancel=%d", ok, cancel);
    globalDebug().trace(line);
    return cancel;
}
