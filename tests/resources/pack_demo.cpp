// A program carrying tests/resources/data/pack as its archive (packed by the build): prints the
// mode, the extraction folder, the style "SButton-normal" and name=content for each argument.
#include "SFile.h"
#include "SResources.h"

#include <cstdio>

int main(int argc, char** argv) {
    SResources& resources = globalResources();
    resources.init();
    std::printf("archiveLoaded=%d\n", resources.archiveLoaded);
    std::printf("extractDirectory=%s\n", resources.extractDirectory.getChars());
    std::printf("SButton-normal=%s\n", resources.getStyle("SButton-normal").getChars());
    for (int i = 1; i < argc; ++i) {
        SString error;
        const SString path = resources.getFile(argv[i]);
        std::printf("%s=%s\n", argv[i], path.isEmpty() ? "" : SFile::readTextFile(path, &error).getChars());
    }
    return 0;
}
