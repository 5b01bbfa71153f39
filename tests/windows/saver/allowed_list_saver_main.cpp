// Saves the allowed list in the given folder over and over, the way the program does, until it is killed. Each
// start loads the list (finishing or undoing a save the last process left half done) and then appends
// "entry N", N counting on from the entries loaded, so that a whole file always reads "entry 1" to "entry K".
//
// Usage: qc_allowed_list_saver.exe FOLDER   (without a closing separator)
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "watch/allowed_list.h"
#include "watch/file_system_win.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qc_allowed_list_saver FOLDER\n");
        return 2;
    }
    try {
        quillcrest::WinFileSystem files;
        quillcrest::AllowedList list(files, std::string(argv[1]) + "\\");
        list.Load();
        for (;;)
            list.AddDNSToGoodList("entry " + std::to_string(list.entries().size() + 1));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qc_allowed_list_saver: %s\n", error.what());
        return 1;
    }
}
