// Page template expansion on arbitrary inputs. The input is cut at "\xFF\xFF" into pieces: the
// page text, the parameter text, then resource files, each "name\nbody" (the name keeps only
// letters, digits and "._%-", so every file lands in the private folder). The files go into a
// temporary folder of their own, which is the only resource directory of a fresh SResources in
// directory mode, and the folder is removed again at the end of the input. The expanded text
// must stay within the size limit, and the directive search must find exactly what the regular
// expression finds; sanitizers catch the rest.
#include "FuzzFolder.h"
#include "PageTemplate.h"
#include "SRegExp.h"
#include "SResources.h"
#include "SStringList.h"
#include "SilentDialogs.h"

#include <ftw.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& data) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t pos = data.find("\xFF\xFF"); pos != std::string::npos; pos = data.find("\xFF\xFF", from)) {
        pieces.push_back(data.substr(from, pos - from));
        from = pos + 2;
    }
    pieces.push_back(data.substr(from));
    return pieces;
}

std::string safeName(const std::string& raw) {
    std::string name;
    for (char c : raw) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '_' || c == '%' || c == '-';
        if (keep && name.size() < 40) name += c;
    }
    if (name.empty() || name == "." || name == "..") name = "f";
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    const std::vector<std::string> pieces = split(std::string(reinterpret_cast<const char*>(data), size));
    const std::string folder = makeFuzzFolder("tpl");
    for (size_t i = 2; i < pieces.size(); ++i) {
        const size_t newline = pieces[i].find('\n');
        const std::string name = safeName(pieces[i].substr(0, newline));
        const std::string body = newline == std::string::npos ? std::string() : pieces[i].substr(newline + 1);
        std::ofstream(folder + "/" + name, std::ios::binary | std::ios::trunc) << body;
    }
    {
        // The directive search against the regular expression, on the page text.
        const SString page = SString().setRaw(pieces[0].data(), int(pieces[0].size()));
        SStringList found;
        SRegExp finder;
        const int matches = finder.findAll(page, PageTemplate::directivePattern(), found);
        PageTemplate::Directive d;
        int from = 0;
        for (int m = 0; m < matches; ++m) {
            if (!PageTemplate::findDirective(page, from, d)) std::abort();
            if (d.tag != found[m * 5] || d.command != found[m * 5 + 1] || d.argument != found[m * 5 + 2] ||
                d.type != found[m * 5 + 3])
                std::abort();
            from = d.end;
        }
        if (PageTemplate::findDirective(page, from, d)) std::abort();
    }
    {
        SResources resources;
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.resourceDirectories.add(folder.c_str());
        PageTemplate expansion(resources);
        const std::string& page = pieces[0];
        const std::string parameters = pieces.size() > 1 ? pieces[1] : std::string();
        const SString result = expansion.expand(SString().setRaw(page.data(), int(page.size())),
                                                SString().setRaw(parameters.data(), int(parameters.size())));
        if (result.getLength() > PageTemplate::maxTextLength) std::abort();
    }
    removeFuzzFolder(folder);
    return 0;
}
