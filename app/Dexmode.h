#pragma once

#include "SMapStringToString.h"
#include "SString.h"

class SComPort;
class Zyntra;

// The Dexmode rules shared by the page's terminal and the command-line script runner: how a
// command list line is read, how the connection is started and what an answer line says.
class Dexmode {
public:
    // What a line of a command list is, after trimming: empty lines and "#" comments are skipped,
    // "!cls" empties the output, "!echo" carries a comment from index 6 on, anything else (also
    // other "!" lines) is a device command.
    enum LineKind { lineSkip, lineClear, lineEcho, lineCommand };
    // Trims line in place and tells its kind.
    static LineKind lineKind(SString& line);

    // Opens portName on device, checks that a Zyntra answers and switches it into Dexmode. 1: the
    // port is open and the caller closes it; 0: message says why (the port did not open, no
    // Zyntra answered, or it did not switch) and the port is closed. The port is purged in both
    // cases.
    static int openPort(Zyntra& device, const SString& portName, SString& message);

    // A device answer read apart. The answer comes trimmed, with its carriage returns written as
    // "<br>": a status code "{XX}" at the start of the answer or of its last line, followed by
    // "OK" or by text ending in "ERROR", is taken out of the text. error: "ERROR" stands anywhere
    // in the answer, with or without a code.
    struct Answer {
        SString text;  // the answer without its "{XX}"
        SString code;  // two upper-case hex digits, "" when the answer carries none
        bool error = false;
    };
    static Answer readAnswer(const SString& answer);

    // Fills texts from the resource "twiStatus.txt" (code=text lines); empty when it is missing.
    static void loadStatusTexts(SMapStringToString& texts);

    // The status texts of a failed connection start.
    static const char* const portNotOpenedText;
    static const char* const noZyntraText;
    static const char* const noDexmodeText;

    // The status text of an exchange on port that failed: the answer lost bytes to a full receive
    // buffer (answerLostText), or a line was not written or not answered in time (sendFailedText).
    static const char* failedExchangeText(const SComPort& port);
    static const char* const sendFailedText;
    static const char* const answerLostText;
};
