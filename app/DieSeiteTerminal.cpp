// The Dexmode terminal: the connection start, the script runner, the send command of the page and
// the output area with its command, comment and answer blocks.
#include "DieSeite.h"

#include "SDebug.h"
#include "SFile.h"
#include "SRegExp.h"
#include "SResources.h"
#include "SStringList.h"

namespace {

// Device answers and page texts are copied as they are, never looked up as localisable texts.
SString& appendRaw(SString& to, const SString& text) {
    return to.append(text, text.getLength());
}

void traceWith(const char* head, const SString& data) {
    SString line(head);
    globalDebug().trace(appendRaw(line, data));
}

}  // namespace

void DieSeite::outputWrite(const SString& html) {
    SString text;
    appendRaw(text, html);
    text.replace("\n", "");
    text.replace("\r", "");
    text.replace("'", "\xB4");
    // jsString escapes what is left (backslashes, quotes, "<"), so no text can end the string.
    SString script("output(");
    appendRaw(script, SIEControl::jsString(text));
    script.append(");");
    SHtmlWindow2 win;
    IHTMLWindow2* found = nullptr;
    getDocument().getParentWindow(&found);
    win.take(found);
    SVariant result;
    if (!win.execScript(script, "javascript", result))
        traceWith("FEHLER: DieSeite::outputWrite(..) win.execScript('", appendRaw(script, "')"));
}

void DieSeite::outputClear() {
    sendJS("outputClear();");
}

void DieSeite::outputWriteCmd(const SString& html) {
    SString block("<font class=dexmode_cmd>");
    appendRaw(block, html);
    block.append("</font><br>");
    outputWrite(block);
}

void DieSeite::outputWriteComment(const SString& text) {
    SString block("<div class=dexmode_comment>");
    SString withBreaks;
    appendRaw(withBreaks, text);
    withBreaks.replace("\r", "<br>");
    appendRaw(block, withBreaks);
    block.append("</div>");
    outputWrite(block);
}

void DieSeite::loadTwiStatusTexts() {
    twiStatusTexts.clear();
    const SString path = globalResources().getFile("twiStatus.txt");
    if (path.isEmpty()) return;
    twiStatusTexts.parse(SFile::readTextFile(path), "\r\n", "=");
}

void DieSeite::outputWriteAnswer(const SString& answerText) {
    traceWith("DieSeite::outputWriteAnswer(..) ", answerText);
    SString answer;
    appendRaw(answer, answerText);
    answer.replace("\r", "<br>");
    SString status;
    SRegExp expression;
    SStringList groups;
    if (expression.findAll(answer, "\xA7(.*<br>|^)\\{([0-9A-F]{2})\\}(([ \\S]+ERROR)|(OK))$\xA7", groups) >
        0) {
        const SString code = groups[2];
        SString braced("{");
        appendRaw(braced, code);
        braced.append("}");
        answer.replace(braced, "");
        if (twiStatusTexts.getCount() == 0) loadTwiStatusTexts();
        SString text;
        twiStatusTexts.lookup(code, text);
        status = "<font class=dexmode_answerStatus>&nbsp;(status ";
        appendRaw(status, code);
        if (!text.isEmpty()) appendRaw(status.append("="), text);
        status.append(")</font>");
    }
    SString block(answer.find("ERROR") >= 0 ? "<div class=dexmode_answerERROR>"
                                            : "<div class=dexmode_answerOK>");
    appendRaw(block, answer);
    appendRaw(block, status);
    block.append("</div>");
    outputWrite(block);
}

void DieSeite::setDexmodeInfo(const SString& message, char kind) {
    if (kind == 'r')
        setElementHtml("dexmode_info", errorHtml(message));
    else if (kind == 'g')
        setElementHtml("dexmode_info", successHtml(message));
    else
        setElementHtml("dexmode_info", message);
}

int DieSeite::enshureDexmodeAndOpenPort(SString& message) {
    int result = 1;
    int opened = 0;
    const SString port = getElementValue("port");
    const char* const notOpened =
        "\xB3\xB3"
        "Error09\xB3\xB3"
        "COM-Port konnte nicht ge\xF6"
        "ffnet werden.";
    if (port == "nix") {
        message = notOpened;
        result = 0;
    } else {
        opened = result = open(port);
        // A port that opened but refused its line settings is open all the same.
        if (!result) {
            message = notOpened;
            opened = isOpen() ? 1 : 0;
        }
    }
    if (result) {
        const SString version = getVersion();
        if (version.find("Zyntra") < 0) {
            message =
                "\xB3\xB3"
                "Error05\xB3\xB3"
                "Fehler: Es wurde kein Zyntra gefunden!";
            result = 0;
        } else {
            result = sendCmd("m");
        }
    }
    purge();
    SString line;
    line.format("DieSeite::enshureDexmodeAndOpenPort(..) return=%d", result);
    globalDebug().trace(line);
    if (result == 0 && opened) close(0);
    return result;
}

int DieSeite::sendDexmodeScript(const SString& script, SString& answers) {
    int ok = 1;
    SStringList lines;
    lines.split(script, "\n");
    for (int i = 0; i < lines.getCount() && ok; ++i) {
        SString line;
        appendRaw(line, lines[i]);
        line.trim();
        if (line.isEmpty() || line.startsWith("#")) continue;
        if (line.startsWith("!echo")) {
            appendRaw(answers, line.mid(6));
            continue;
        }
        if (line.startsWith("!")) continue;
        traceWith("DieSeite::sendDexmodeScript(..) cmd=", line);
        SString bytes;
        appendRaw(bytes, line);
        ok = write(bytes.append("\n"));
        SString answer;
        if (ok) ok = readUntil(answer, scriptLineTimeout, "\n");
        traceWith("DieSeite::sendDexmodeScript(..) output=", answer);
        appendRaw(answers, answer.trim());
    }
    if (!ok) {
        globalDebug().trace("#### FEHLER in DieSeite::sendDexmodeScript(..)");
        purge();
    }
    return ok;
}

int DieSeite::dexmodeSendLine(const SString& commandLine) {
    SString line;
    appendRaw(line, commandLine);
    SString bytes;
    appendRaw(bytes, line);
    int ok = write(bytes.append("\n"));
    line.htmlEncode();
    line.replace("\r", "<font style=\"font-family:Symbol;\">\xBF&nbsp;</font>");
    outputWriteCmd(line);
    traceWith("DieSeite::onBeforeNavigate2(..) cmd=", line);
    if (!ok) return 0;
    SString answer;
    ok = readUntil(answer, sendLineTimeout, "\n");
    traceWith("DieSeite::onBeforeNavigate2(..) output=", answer);
    answer.trim();
    answer.htmlEncode();
    // What came of an answer that never ended is shown, but never as a success.
    if (!ok) answer.append(" TIMEOUT ERROR");
    outputWriteAnswer(answer);
    return ok;
}

int DieSeite::dexmodeSend(bool wholeList) {
    setDexmodeInfo("", ' ');
    SString message;
    const int connected = enshureDexmodeAndOpenPort(message);
    int ok = connected;
    setDexmodeInfo(message, connected ? 'g' : 'r');
    if (ok) {
        SString text;
        if (wholeList) {
            appendRaw(text, getElementText("dexmode_cmdList"));
        } else {
            appendRaw(text, getElementValue("dexmode_cmdOne"));
            setElementValue("dexmode_cmdOne", "");
        }
        text.replace("\xB0", "\r");
        SStringList lines;
        lines.split(text, "\n");
        for (int i = 0; i < lines.getCount() && ok; ++i) {
            SString line;
            appendRaw(line, lines[i]);
            line.trim();
            if (line.isEmpty() || line.startsWith("#")) continue;
            if (line.startsWith("!cls")) {
                outputClear();
                continue;
            }
            if (line.startsWith("!echo")) {
                outputWriteComment(line.mid(6));
                continue;
            }
            ok = dexmodeSendLine(line);
        }
        // A command that was not written or not answered stops the list; the status line says so.
        if (!ok)
            setDexmodeInfo(
                "\xB3\xB3"
                "Error01\xB3\xB3"
                "Fehler beim Senden der Daten.",
                'r');
    }
    if (connected) close(0);
    purge();
    return ok;
}
