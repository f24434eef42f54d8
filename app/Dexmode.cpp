#include "Dexmode.h"

#include "SFile.h"
#include "SRegExp.h"
#include "SResources.h"
#include "SStringList.h"
#include "Zyntra.h"

const char* const Dexmode::portNotOpenedText =
    "\xB3\xB3"
    "Error09\xB3\xB3"
    "COM-Port konnte nicht ge\xF6"
    "ffnet werden.";
const char* const Dexmode::noZyntraText =
    "\xB3\xB3"
    "Error05\xB3\xB3"
    "Fehler: Es wurde kein Zyntra gefunden!";
const char* const Dexmode::noDexmodeText =
    "\xB3\xB3"
    "Error11\xB3\xB3"
    "Der Zyntra hat nicht in den Dexmode gewechselt.";
const char* const Dexmode::sendFailedText =
    "\xB3\xB3"
    "Error01\xB3\xB3"
    "Fehler beim Senden der Daten.";
const char* const Dexmode::answerLostText =
    "\xB3\xB3"
    "Error10\xB3\xB3"
    "Die Antwort kam nicht vollst\xE4ndig an: Der Empfangspuffer war voll.";

const char* Dexmode::failedExchangeText(const SComPort& port) {
    return port.droppedInLastRead() > 0 ? answerLostText : sendFailedText;
}

Dexmode::LineKind Dexmode::lineKind(SString& line) {
    line.trim();
    if (line.isEmpty() || line.startsWith("#")) return lineSkip;
    if (line.startsWith("!cls")) return lineClear;
    if (line.startsWith("!echo")) return lineEcho;
    return lineCommand;
}

int Dexmode::openPort(Zyntra& device, const SString& portName, SString& message) {
    int result = device.open(portName);
    // A port that opened but refused its line settings is open all the same.
    const bool opened = result || device.isOpen();
    if (!result) message = portNotOpenedText;
    if (result) {
        const SString version = device.getVersion();
        if (version.find("Zyntra") < 0) {
            message = noZyntraText;
            result = 0;
        } else if (!device.sendCmd("m")) {
            message = noDexmodeText;
            result = 0;
        }
    }
    device.purge();
    if (result == 0 && opened) device.close(0);
    return result;
}

Dexmode::Answer Dexmode::readAnswer(const SString& answerText) {
    Answer answer;
    answer.text.append(answerText, answerText.getLength());
    SRegExp expression;
    SStringList groups;
    if (expression.findAll(answer.text, "\xA7(.*<br>|^)\\{([0-9A-F]{2})\\}(([ \\S]+ERROR)|(OK))$\xA7",
                           groups) > 0) {
        answer.code.append(groups[2], groups[2].getLength());
        SString braced("{");
        braced.append(answer.code, answer.code.getLength());
        braced.append("}");
        answer.text.replace(braced, "");
    }
    answer.error = answer.text.find("ERROR") >= 0;
    return answer;
}

void Dexmode::loadStatusTexts(SMapStringToString& texts) {
    texts.clear();
    const SString path = globalResources().getFile("twiStatus.txt");
    if (path.isEmpty()) return;
    texts.parse(SFile::readTextFile(path), "\r\n", "=");
}
