// SFileIni on arbitrary file contents: the bytes are written to a file in a private temporary
// folder and opened; then every section found is read key by key and as a list, keys are
// replaced, added and removed, a section is rewritten, and the file is saved. The saved file,
// opened again, must give exactly the content the object held (masked files included), and no
// temporary file may be left behind.
#include "Dialogs.h"
#include "FuzzFolder.h"
#include "SFileIni.h"
#include "SStringList.h"

#include <dirent.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class QuietDialogs : public Dialogs {
public:
    int messageBox(const SString&, const SString&, unsigned) override { return IDOK; }
};

int entriesIn(const std::string& path) {
    int n = 0;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d))
            n += e->d_name[0] != '.' || (e->d_name[1] != 0 && e->d_name[1] != '.');
        ::closedir(d);
    }
    return n;
}

bool sameBytes(const SString& a, const SString& b) {
    return a.getLength() == b.getLength() &&
           std::memcmp(a.getChars(), b.getChars(), size_t(a.getLength())) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietDialogs quiet;
    setDialogs(&quiet);
    const std::string folder = makeFuzzFolder("ini");
    const std::string path = folder + "/fuzz.ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }

    SFileIni ini;
    if (!ini.open(path.c_str())) std::abort();

    // A few names and a pattern taken from the input itself, beside the sections the file has.
    const char* text = reinterpret_cast<const char*>(data);
    const int n = int(size);
    SString pattern(std::string(text, size_t(n < 6 ? n : 6)).c_str());
    SStringList names, bodies, keys, values;
    ini.getSectionNames(pattern, names, &bodies);
    ini.getSectionNames("*", names, nullptr);
    names.add(SString(std::string(text, size_t(n < 3 ? n : 3)).c_str()));

    for (int i = 0; i < names.getCount() && i < 16; ++i) {
        const SString section = names.getAt(i);
        ini.readSection(section, keys, &values, true);
        ini.readSection(section, keys, nullptr, false);
        for (int k = 0; k < keys.getCount() && k < 16; ++k) {
            const SString key = keys.getAt(k);
            ini.readString(section, key, "d");
            ini.readInt(section, key, 1234);
            switch (k % 3) {
                case 0:
                    ini.writeString(section, key, "value");
                    break;
                case 1:
                    ini.writeString(section, key, "");
                    break;
                default:
                    ini.writeInt(section, key, -19200);
                    break;
            }
        }
        ini.writeString(section, "added", "x");
        if (i == 1) ini.writeSection(section, "a=1");
    }
    ini.writeSection("fuzz", SString(std::string(text, size_t(n < 8 ? n : 8)).c_str()));

    if (!ini.save()) std::abort();
    {
        SFileIni again;
        if (!again.open(path.c_str()) || !sameBytes(again.getContent(), ini.getContent())) std::abort();
    }
    if (entriesIn(folder) != 1) std::abort();
    removeFuzzFolder(folder);
    return 0;
}
