#include "SFile.h"

#include "FileSystemSeam.h"
#include "RawText.h"
#include "SError.h"
#include "SFileSystem.h"
#include "SMem.h"
#include "SSystem.h"

#include <cerrno>
#include <string>

namespace {

void showBox(const SString& text, const char* title) {
    globalError().showError(text, 0, title, MB_OK | MB_ICONERROR);
}

}  // namespace

SFile::SFile() : stream(nullptr) {}

SFile::~SFile() {
    close();
}

void SFile::setSystemError(const char* prefix, int error) {
    errorText = prefix;
    errorText.append(SSystem::getErrorText(error));
}

bool SFile::open(const SString& name, const SString& openMode, bool quiet) {
    close();
    errorText = "";
    if (name.isEmpty()) {
        errorText =
            "Fehler beim \xF6"
            "ffnen der Datei, es wurde kein Dateiname \xFC"
            "bergeben.";
        if (!quiet) showBox(errorText, "Fehler SFile::open(..)");
        return false;
    }
    mode = openMode;
    if (mode.findChar('t') < 0 && mode.findChar('b') < 0) mode.append('b');
    stream = fsOpenStream(name, mode);
    if (stream == nullptr) {
        int error = fsLastError();
        errorText =
            "Fehler beim \xF6"
            "ffnen der Datei '";
        errorText.append(name);
        errorText.append("'\r\n");
        errorText.append(SSystem::getErrorText(error));
        if (!quiet) showBox(errorText, "Fehler SFile::open(..)");
        fsSetLastError(error);
        return false;
    }
    path = SFileSystem::getFullPath(name);
    return true;
}

bool SFile::close() {
    if (stream == nullptr) return true;
    bool ok = std::fclose(stream) == 0;
    if (!ok) setSystemError("Fehler beim Schreiben: ", fsLastError());
    stream = nullptr;
    path = "";
    return ok;
}

SString SFile::read(int count) {
    if (count == 0) return SString();
    std::string bytes;
    if (count > 0) {
        bytes.resize(size_t(count));
        int n = readBytes(&bytes[0], count);
        return rawText(bytes.data(), n);
    }
    char chunk[4096];
    int n;
    while ((n = readBytes(chunk, int(sizeof chunk))) > 0)
        bytes.append(chunk, size_t(n));
    return rawText(bytes.data(), int(bytes.size()));
}

int SFile::readBytes(void* buffer, int count) {
    if (stream == nullptr) {
        showBox(
            "Fehler beim lesen der Datei.\r\nDie Datei wurde noch nicht ge\xF6"
            "ffnet.",
            "Fehler SFile::read(..)");
        return 0;
    }
    if (count <= 0) return 0;
    size_t n = std::fread(buffer, 1, size_t(count), stream);
    if (std::ferror(stream)) {
        setSystemError("", fsLastError());
        std::clearerr(stream);
        return 0;
    }
    return int(n);
}

bool SFile::readLine(SString& line) {
    if (stream == nullptr) {
        setSystemError("Fehler beim Lesen: ", EBADF);
        return false;
    }
    std::string bytes;
    int c;
    while ((c = std::getc(stream)) != EOF && c != '\n')
        bytes += char(c);
    if (std::ferror(stream)) {
        setSystemError("", fsLastError());
        std::clearerr(stream);
        return false;
    }
    if (c == EOF && bytes.empty()) return false;
    line.setRaw(bytes.data(), int(bytes.size()));
    return true;
}

bool SFile::write(const void* bytes, int count) {
    if (stream == nullptr) {
        setSystemError("Fehler beim Schreiben: ", EBADF);
        return false;
    }
    if (count <= 0) return true;
    if (std::fwrite(bytes, 1, size_t(count), stream) != size_t(count)) {
        setSystemError("Fehler beim Schreiben: ", fsLastError());
        std::clearerr(stream);
        return false;
    }
    return true;
}

bool SFile::write(const SString& text) {
    return write(text.getChars(), text.getLength());
}

bool SFile::seek(long offset, int origin) {
    if (stream == nullptr) {
        setSystemError("", EBADF);
        return false;
    }
    int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    if (origin == 2) offset = -offset;
    if (std::fseek(stream, offset, whence) != 0) {
        setSystemError("", fsLastError());
        return false;
    }
    return true;
}

long SFile::tell() {
    long position = stream != nullptr ? std::ftell(stream) : -1;
    if (position < 0) {
        setSystemError("", stream != nullptr ? fsLastError() : EBADF);
        return 0;
    }
    return position;
}

long SFile::getSize() {
    if (stream == nullptr) {
        showBox(
            "Fehler, SFile::getSize()\r\nDiese Funktion kann nur auf auf eine ge\xF6"
            "ffnete Datei angewendet werden.",
            "Fehler !");
        return 0;
    }
    long position = tell();
    if (!seek(0, 2)) return 0;
    long size = tell();
    seek(position, 0);
    return size;
}

bool SFile::createTemp(const SString& prefix, const SString& folder, bool quiet) {
    close();
    SString where = folder.isEmpty() ? SFileSystem::getTempFolder() : folder;
    SString name;
    if (!fsCreateUniqueFile(where, prefix, name)) {
        int error = fsLastError();
        errorText =
            "Fehler beim \xF6"
            "ffnen der Datei '";
        errorText.append(where);
        errorText.append("'\r\n");
        errorText.append(SSystem::getErrorText(error));
        if (!quiet) showBox(errorText, "Fehler SFile::open(..)");
        return false;
    }
    return open(name, "w+b", quiet);
}

SString SFile::readTextFile(const SString& name, SString* errorText) {
    SFile file;
    SString text;
    if (file.open(name, "rb", errorText != nullptr)) text = file.read(-1);
    if (errorText != nullptr) *errorText = file.errorText;
    return text;
}

bool SFile::writeWhole(const SString& name, const void* bytes, int count, SString* errorText) {
    const bool quiet = errorText != nullptr;
    SString text;
    bool ok = false;
    if (name.isEmpty()) {
        text =
            "Fehler beim \xF6"
            "ffnen der Datei, es wurde kein Dateiname \xFC"
            "bergeben.";
    } else {
        ok = fsReplaceFile(name, static_cast<const char*>(bytes), count);
        if (!ok) {
            const int error = fsLastError();
            text = "Fehler beim Schreiben der Datei '";
            text.append(name);
            text.append("'\r\n");
            text.append(SSystem::getErrorText(error));
            fsSetLastError(error);
        }
    }
    if (!ok && !quiet) showBox(text, "Fehler SFile::write(..)");
    if (errorText != nullptr) *errorText = text;
    return ok;
}

bool SFile::writeTextFile(const SString& name, const SString& text, SString* errorText) {
    return writeWhole(name, text.getChars(), text.getLength(), errorText);
}

bool SFile::writeMemToFile(const SString& name, const SMem& mem, SString* errorText) {
    return writeWhole(name, mem.getData(), mem.getSize(), errorText);
}

bool SFile::readFileToMem(const SString& name, SMem& mem, SString* errorText) {
    SFile file;
    bool quiet = errorText != nullptr;
    bool ok = file.open(name, "rb", quiet);
    if (ok) {
        long size = file.getSize();
        mem.setSize(int(size));
        if (file.readBytes(mem.getData(), int(size)) != int(size)) {
            ok = false;
            if (file.errorText.isEmpty()) {
                file.errorText = "Fehler beim lesen der Datei '";
                file.errorText.append(name);
                file.errorText.append("'");
            }
            if (!quiet) showBox(file.errorText, "Fehler SFile::read(..)");
        }
    }
    if (errorText != nullptr) *errorText = file.errorText;
    return ok;
}
