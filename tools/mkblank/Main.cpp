// mkblank: writes blank.swf, the empty one-frame movie that the players load
// between two movies so that nothing of the previous one stays on screen.
#include "platform/File.h"
#include "tests/support/SwfWriter.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkblank OUTPUT\n");
        return 2;
    }
    qb::test::SwfWriter movie;
    movie.ShowFrame().End();
    if (!qb::WriteWholeFile(argv[1], movie.Movie())) {
        std::fprintf(stderr, "mkblank: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
