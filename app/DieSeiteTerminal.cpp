// The Dexmode terminal: the connection start, the script runner, the send command of the page and
// the output area with its command, comment and answer blocks.
#include "DieSeite.h"

#include "Dexmode.h"

#include "SDebug.h"
#include "SStringList.h"

void DieSeite::outputWrite(const SString& html) {
    SString text;
    text.append(html);
    text.replace("\n", "");
    text.replace("\r", "");
    text.replace("'", "\xB4");
    // jsString escapes what is left (backslashes, quotes, "<"), so no text can end the string.
    SString script("output(");
    script.append(SIEControl::jsString(text));
    script.append(");");
    SHtmlWindow2 win;
    IHTMLWindow2* found = nullptr;
    getDocument().getParentWindow(&found);
    win.take(found);
    SVariant result;
    if (!win.execScript(script, "javascript", result))
        traceWith("FEHLER: DieSeite::outputWrite(..) win.execScript('", script.append("')"));
}

void DieSeite::outputClear() {
    sendJS("outputClear();");
    outputLogHtml.clear();
    outputLogText.clear();
}

void DieSeite::outputWriteCmd(const SString& html) {
    SString block(outputTimeHtml());
    block.append("<font class=dexmode_cmd>");
    block.append(html);
    block.append("</font><br>");
    outputWrite(block);
    outputLogAdd(block, "> ", html);
}

void DieSeite::outputWriteComment(const SString& text) {
    SString block("<div class=dexmode_comment>");
    SString withBreaks;
    withBreaks.append(text);
    withBreaks.replace("\r", "<br>");
    block.append(withBreaks);
    block.append("</div>");
    outputWrite(block);
    outputLogAdd(block, "# ", withBreaks);
}

void DieSeite::outputWriteAnswer(const SString& answerText) {
    traceWith("DieSeite::outputWriteAnswer(..) ", answerText);
    SString answer;
    answer.append(answerText);
    answer.replace("\r", "<br>");
    const Dexmode::Answer parsed = Dexmode::readAnswer(answer);
    SString status;
    if (!parsed.code.isEmpty()) {
        if (twiStatusTexts.getCount() == 0) Dexmode::loadStatusTexts(twiStatusTexts);
        SString text;
        twiStatusTexts.lookup(parsed.code, text);
        status = "<font class=dexmode_answerStatus>&nbsp;(status ";
        status.append(parsed.code);
        if (!text.isEmpty()) status.append("=").append(text);
        status.append(")</font>");
    }
    SString block(parsed.error ? "<div class=dexmode_answerERROR>" : "<div class=dexmode_answerOK>");
    block.append(outputTimeHtml());
    block.append(parsed.text);
    block.append(status);
    block.append("</div>");
    outputWrite(block);
    SString shown;
    shown.append(parsed.text).append(status);
    outputLogAdd(block, "< ", shown);
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
    int result = 0;
    const SString port = getElementValue("port");
    if (port == "nix") {
        message = Dexmode::portNotOpenedText;
        purge();
    } else {
        result = Dexmode::openPort(*this, port, message);
    }
    SString line;
    line.format("DieSeite::enshureDexmodeAndOpenPort(..) return=%d", result);
    globalDebug().trace(line);
    return result;
}

int DieSeite::sendDexmodeScript(const SString& script, SString& answers) {
    int ok = 1;
    SStringList lines;
    lines.split(script, "\n");
    for (int i = 0; i < lines.getCount() && ok; ++i) {
        SString line;
        line.append(lines[i]);
        const Dexmode::LineKind kind = Dexmode::lineKind(line);
        if (kind == Dexmode::lineEcho) answers.append(line.mid(6));
        // Scripts skip every other "!" line, "!cls" included.
        if (kind != Dexmode::lineCommand || line.startsWith("!")) continue;
        traceWith("DieSeite::sendDexmodeScript(..) cmd=", line);
        SString bytes;
        bytes.append(line);
        ok = write(bytes.append("\n"));
        SString answer;
        if (ok) ok = readUntil(answer, scriptLineTimeout, "\n");
        traceWith("DieSeite::sendDexmodeScript(..) output=", answer);
        answers.append(answer.trim());
    }
    if (!ok) {
        globalDebug().trace("#### FEHLER in DieSeite::sendDexmodeScript(..)");
        purge();
    }
    return ok;
}

int DieSeite::dexmodeSendLine(const SString& commandLine) {
    SString line;
    line.append(commandLine);
    SString bytes;
    bytes.append(line);
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
    // What came of an answer that never ended, or that lost bytes, is shown, but never as a success.
    if (!ok) answer.append(droppedInLastRead() > 0 ? " INCOMPLETE ERROR" : " TIMEOUT ERROR");
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
            text.append(getElementText("dexmode_cmdList"));
        } else {
            text.append(getElementValue("dexmode_cmdOne"));
            setElementValue("dexmode_cmdOne", "");
            historyAdd(text);
        }
        text.replace("\xB0", "\r");
        SStringList lines;
        lines.split(text, "\n");
        for (int i = 0; i < lines.getCount() && ok; ++i) {
            SString line;
            line.append(lines[i]);
            switch (Dexmode::lineKind(line)) {
                case Dexmode::lineSkip:
                    break;
                case Dexmode::lineClear:
                    outputClear();
                    break;
                case Dexmode::lineEcho:
                    outputWriteComment(line.mid(6));
                    break;
                case Dexmode::lineCommand:
                    ok = dexmodeSendLine(line);
                    break;
            }
        }
        // A command that was not written or not answered whole stops the list; the status line
        // says so.
        if (!ok) setDexmodeInfo(Dexmode::failedExchangeText(*this), 'r');
    }
    if (connected) close(0);
    purge();
    return ok;
}
