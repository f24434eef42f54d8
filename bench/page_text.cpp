// Writes the terminal page as the program hands it to the browser: "dieSeite.htm" from a page
// folder expanded with the program's parameters (lang=de, respfad = the folder's file URL) and
// the context-menu script, in the page's own code page (Windows-1252). The start-up benchmark
// (bench/startup.sh) loads this text into a bare web view as the baseline.
//
// usage: page_text <page folder> <output file>
#include "IntHtmView.h"
#include "PageTemplate.h"
#include "SFile.h"
#include "SResources.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <page folder> <output file>\n", argv[0]);
        return 2;
    }
    SResources& resources = globalResources();
    resources.initialized = 1;
    resources.directoryMode = 1;
    resources.programDirectory = argv[1];
    resources.resourceDirectories.add(argv[1]);
    const SString pagePath = resources.getFile("dieSeite.htm");
    if (pagePath.isEmpty()) {
        std::fprintf(stderr, "page_text: no dieSeite.htm in %s\n", argv[1]);
        return 1;
    }
    PageTemplate expansion(resources);
    const SString page = expansion.expand(SFile::readTextFile(pagePath),
                                          IntHtmView::withResourcePath(pagePath, "lang=de"), true);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr ||
        std::fwrite(page.getChars(), 1, size_t(page.getLength()), out) != size_t(page.getLength())) {
        std::fprintf(stderr, "page_text: cannot write %s\n", argv[2]);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
