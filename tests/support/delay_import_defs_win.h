#pragma once

// The .def files the build makes its delay-import libraries from (cmake/delay_imports): which DLLs the program
// delay-loads, and which of their functions it calls.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillcrest::fakes {

struct DelayImportDef {
    std::string dll;  // as its LIBRARY line names it
    std::vector<std::string> functions;
};

// Reads every .def file of the folder; a folder without any gives none.
inline std::vector<DelayImportDef> ReadDelayImportDefs(const std::string& folder) {
    std::vector<DelayImportDef> defs;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((folder + "\\*.def").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return defs;
    do {
        std::ifstream file(folder + "\\" + found.cFileName);
        DelayImportDef def;
        bool exports = false;
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream words(line);
            std::string word;
            if (!(words >> word) || word[0] == ';')
                continue;
            if (word == "LIBRARY")
                words >> def.dll;
            else if (word == "EXPORTS")
                exports = true;
            else if (exports)
                def.functions.push_back(word);
        }
        defs.push_back(def);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return defs;
}

}  // namespace quillcrest::fakes
