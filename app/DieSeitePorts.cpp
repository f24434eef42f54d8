// Port test, port search and the firmware check of a found device. A port name reaches a device
// through the port map (USB serial adapters are found there), so these functions only ever speak
// of "COM1" ... "COM19".
#include "DieSeite.h"
#include "SApplication.h"

#include "Dialogs.h"
#include "SComPortMap.h"
#include "SDebug.h"
#include "SRegExp.h"
#include "SStringList.h"

namespace {

const char* const infoId = "zyntra_info";

// Said instead of the plain "could not open" when the device is there but this user may not open
// it: the usual cause on Linux, and one the user can put right.
SString noPermissionText(const SString& portName) {
    SString text(
        "\xB3\xB3portNoPermission\xB3\xB3"
        "Keine Berechtigung f\xFCr den Port: Ihr Benutzer geh\xF6rt nicht zur Gruppe, der das Ger\xE4t "
        "geh\xF6rt (meist dialout). Nehmen Sie ihn in diese Gruppe auf und melden Sie sich neu an.");
    text.append(" (");
    text.append(portName);
    text.append(": ");
    text.append(SComPortMap::resolve(portName));
    return text.append(")");
}

}  // namespace

int DieSeite::testPort(const SString& portNameText, int showMessages) {
    // The busy pointer for the whole test; the search's tests nest inside one another's count.
    SWaitCursor waitCursor;
    SString name;
    name.append(portNameText);
    traceWith("DieSeite::testPort(..) suche an Port ", name);
    int result = 0;
    if (!name.startsWith("COM")) {
        if (showMessages)
            setElementHtml(infoId, errorHtml("\xB3\xB3qelPortChoice\xB3\xB3"
                                             "Bitte erst Port ausw\xE4hlen."));
    } else {
        const int ok = open(name);
        const bool denied = !ok && openWasDenied();
        traceWith("DieSeite::testPort(..) 0 ", settings.port);
        if (!ok) {
            if (denied && portDenied.isEmpty()) portDenied.append(name);
            if (showMessages)
                setElementHtml(infoId, errorHtml(denied ? noPermissionText(name)
                                                        : SString("\xB3\xB3"
                                                                  "Error09\xB3\xB3"
                                                                  "Der COM-Port konnte nicht ge\xF6"
                                                                  "ffnet werden.")));
        } else {
            const SString version = getVersion();
            traceWith("DieSeite::testPort(..) ver ", version);
            // Only a Zyntra names itself so; another device or the bytes of an unfinished answer
            // do not make the port the Zyntra's.
            if (version.find("Zyntra") < 0) {
                if (showMessages)
                    setElementHtml(infoId, errorHtml("\xB3\xB3qelNotFoundOnPort\xB3\xB3"
                                                     "Es wurde kein Zyntra an diesem Port gefunden."));
            } else {
                traceWith("DieSeite::testPort(..) 1 ", name);
                SString shown;
                shown.append(version).htmlEncode();
                SString html("<font class='msgOK''><b>");
                html.append(shown).append("</font>");
                setElementHtml(infoId, html);
                result = 1;
                traceWith("DieSeite::testPort(..) 2 ", name);
                sendCmd("p");
                traceWith("DieSeite::testPort(..) 3 ", name);
                purge();
                traceWith("DieSeite::testPort(..) 4 ", name);
                checkFirmware(name, version);
            }
        }
        traceWith("DieSeite::testPort(..) 9 ", name);
        close(0);
    }
    purge();
    return result;
}

void DieSeite::portSearch() {
    portDenied = "";
    int found = 0;
    SString name;
    for (int i = 1; !found && i <= 19; ++i) {
        name.format("COM%d", i);
        found = testPort(name, 0);
    }
    if (found) {
        setElementValue("port", name);
    } else {
        SString text(
            "\xB3\xB3"
            "Error05\xB3\xB3"
            "Es wurde kein Zyntra gefunden.");
        if (!portDenied.isEmpty()) text.append(" ").append(noPermissionText(portDenied));
        setElementHtml(infoId, errorHtml(text));
    }
    purge();
}

int DieSeite::checkFirmware(const SString& portName, const SString& version) {
    // The last "V" followed by digits, a dot and digits; major and minor compare as numbers, so
    // V2.10 is newer than V2.5.
    SRegExp expression;
    SStringList groups;
    if (expression.findAll(version, "/.*V(\\d+)\\.(\\d+)/", groups) <= 0 || groups.getCount() < 3) return 1;
    SString line("DieSeite::testPort(..) gefunden an Port ");
    line.append(portName).append(" Version ");
    line.append(groups[1]).append(groups[2]);
    globalDebug().trace(line);
    const int major = groups[1].toInt();
    const int minor = groups[2].toInt();
    const int lowestMajor = minFirmwareVersion / 10;
    const int lowestMinor = minFirmwareVersion % 10;
    if (major > lowestMajor || (major == lowestMajor && minor >= lowestMinor)) return 1;
    dialogs().messageBox(
        "\xB3\xB3qelFirmwareOld\xB3\xB3"
        "Achtung! \nDer angeschlossene Zyntra hat eine zu alte Firmware.\nUnter www.zyntra.example finden "
        "Sie die akuelle Version.",
        "Alte Firmware", MB_ICONERROR);
    return 0;
}
