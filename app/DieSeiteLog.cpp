// The output log and the command history of the Dexmode terminal: time stamps in front of commands
// and answers, the output area saved as text or HTML, and the lines sent from the one-line input
// kept across runs in a file beside the user configuration file.
#include "DieSeite.h"

#include "SDebug.h"
#include "SFile.h"

#include <chrono>
#include <ctime>

namespace {

// The text of an output block: the return mark and line breaks as "\xB0", tags dropped, entities
// turned back into their characters ("&nbsp;" into a blank).
SString blockText(const SString& html) {
    SString source;
    source.append(html);
    source.replace("<font style=\"font-family:Symbol;\">\xBF&nbsp;</font>", "\xB0");
    source.replace("<br>", "\xB0");
    SString text;
    const char* chars = source.getChars();
    const int length = source.getLength();
    for (int i = 0; i < length; ++i) {
        if (chars[i] == '<') {
            while (i < length && chars[i] != '>')
                ++i;
            continue;
        }
        if (chars[i] == '&') {
            const SString rest = source.mid(i);
            const int end = rest.find(";");
            if (end > 1 && end < 10) {
                const SString entity = rest.left(end + 1);
                int found = -1;
                if (entity == "&nbsp;") found = ' ';
                for (int c = 1; c < 256 && found < 0; ++c)
                    if (SString::htmlEntity(char(c)) == entity) found = c;
                if (found >= 0) {
                    text.append(char(found));
                    i += end;
                    continue;
                }
            }
        }
        text.append(chars[i]);
    }
    return text;
}

bool endsWithIgnoreCase(const SString& text, const char* end) {
    return text.endsWith(end, true);
}

}  // namespace

SString DieSeite::outputTimeHtml() {
    if (!isElementChecked("dexmode_timestamps")) return SString();
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int millis = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    local = *std::localtime(&seconds);
    SString html;
    html.format("<span class=dexmode_time>%02d:%02d:%02d.%03d</span>&nbsp;", local.tm_hour, local.tm_min,
                local.tm_sec, millis);
    return html;
}

void DieSeite::outputLogAdd(const SString& html, const char* mark, const SString& textHtml) {
    outputLogHtml.add(html);
    SString line;
    // The time stamp stands in front of the block, so it leads the text line too.
    const int time = html.find("<span class=dexmode_time>");
    if (time >= 0) {
        line.append(blockText(html.mid(time, html.find("</span>", time) - time)));
        line.append(" ");
    }
    line.append(mark);
    line.append(blockText(textHtml));
    outputLogText.add(line);
}

SString DieSeite::outputFileText(bool html) const {
    SString file;
    if (!html) {
        for (int i = 0; i < outputLogText.getCount(); ++i)
            file.append(outputLogText[i]).append("\r\n");
        return file;
    }
    file.append(
        "<!DOCTYPE html>\r\n"
        "<html><head><meta charset=\"windows-1252\"><title>Zyntra Terminal</title>\r\n"
        "<style>\r\n"
        "body { font-family: monospace; }\r\n"
        ".dexmode_time { color: #64748b; }\r\n"
        ".dexmode_cmd { color: #1d4ed8; }\r\n"
        ".dexmode_cmd::before { content: \"> \"; }\r\n"
        ".dexmode_cmd font[style*=\"Symbol\"] { font-size: 0; }\r\n"
        ".dexmode_cmd font[style*=\"Symbol\"]::before { content: \"\\21B5\\00a0\"; font-size: 1rem; }\r\n"
        ".dexmode_comment { color: #475569; font-style: italic; }\r\n"
        ".dexmode_answerOK { color: #15803d; padding-left: 14px; }\r\n"
        ".dexmode_answerERROR { color: #b91c1c; padding-left: 14px; }\r\n"
        ".dexmode_answerStatus { color: #a16207; }\r\n"
        "</style></head>\r\n"
        "<body>\r\n");
    for (int i = 0; i < outputLogHtml.getCount(); ++i)
        file.append(outputLogHtml[i]).append("\r\n");
    file.append("</body></html>\r\n");
    return file;
}

void DieSeite::outputSave() {
    const SString chosen =
        askFilePath("dexmodeOutputSave",
                    "\xB3\xB3"
                    "dexmodeOutputDlgTitel\xB3\xB3"
                    "Ausgabe speichern",
                    "\xB3\xB3"
                    "dexmodeOutputDlgFilter\xB3\xB3"
                    "Text (*.txt)|*.txt|HTML (*.htm, *.html)|*.htm;*.html|alle Dateien|*.*",
                    true);
    if (chosen.isEmpty()) return;
    const bool html = endsWithIgnoreCase(chosen, ".htm") || endsWithIgnoreCase(chosen, ".html");
    SString error;
    if (!SFile::writeTextFile(chosen, outputFileText(html), &error))
        setDexmodeInfo(fileFailure("\xB3\xB3"
                                   "dexmodeOutputSaveError\xB3\xB3"
                                   "Die Ausgabe konnte nicht gespeichert werden:",
                                   chosen, error),
                       'r');
}

SString DieSeite::historyFilePath() {
    SString path;
    path.append(getUserConfig().getFileName());
    if (path.isEmpty()) return path;
    if (endsWithIgnoreCase(path, ".cfg")) path = path.left(path.getLength() - 4);
    return path.append(".history");
}

void DieSeite::historyLoad() {
    commandHistory.clear();
    const SString path = historyFilePath();
    SString error;
    SString content;
    if (!path.isEmpty()) content = SFile::readTextFile(path, &error);
    SStringList lines;
    lines.split(content, "\n");
    for (int i = 0; i < lines.getCount(); ++i) {
        SString line;
        line.append(lines[i]);
        if (line.endsWith("\r")) line = line.left(line.getLength() - 1);
        if (line.isEmpty()) continue;
        if (commandHistory.getCount() > 0 && commandHistory[commandHistory.getCount() - 1] == line) continue;
        commandHistory.add(line);
    }
    while (commandHistory.getCount() > historyLimit)
        commandHistory.removeAt(0);
    SString joined;
    for (int i = 0; i < commandHistory.getCount(); ++i) {
        if (i > 0) joined.append("\n");
        joined.append(commandHistory[i]);
    }
    SString script("historySet(");
    script.append(SIEControl::jsString(joined));
    sendJS(script.append(");"));
}

void DieSeite::historyAdd(const SString& line) {
    // Line breaks would split the entry in the file; the one-line input cannot hold them anyway.
    SString entry;
    entry.append(line);
    entry.replace("\r", "");
    entry.replace("\n", "");
    if (entry.trim().isEmpty()) return;
    if (commandHistory.getCount() > 0 && commandHistory[commandHistory.getCount() - 1] == entry) return;
    commandHistory.add(entry);
    while (commandHistory.getCount() > historyLimit)
        commandHistory.removeAt(0);
    SString file;
    for (int i = 0; i < commandHistory.getCount(); ++i)
        file.append(commandHistory[i]).append("\r\n");
    const SString path = historyFilePath();
    // The history is a convenience: a file that cannot be written costs the next run its lines,
    // which the trace says; the user's command goes on.
    SString error;
    if (!path.isEmpty() && !SFile::writeTextFile(path, file, &error)) {
        SString trace("DieSeite::historyAdd(..) ");
        trace.append(error);
        globalDebug().trace(trace);
    }
    SString script("historyAdd(");
    script.append(SIEControl::jsString(entry));
    sendJS(script.append(");"));
}
