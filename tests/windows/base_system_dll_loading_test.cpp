// DLLs that are not KnownDLLs are delay-loaded and come from the system folder only, and a delay-loaded function
// the system lacks gets its stand-in instead of ending the program.
#include <gtest/gtest.h>

#include <windows.h>
#include <winsock2.h>

#include <iphlpapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/delay_load_stand_ins_win.h"
#include "base/win_handles_win.h"
#include "support/delay_import_defs_win.h"
#include "support/helper_programs_win.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot);

namespace quillcrest {
namespace {

constexpr char kProbe[] = "qc_dll_search_probe.exe";
constexpr char kPlantedDll[] = "qc_planted.dll";

// The build folder's path is plain ASCII here, as the A functions below want it.
std::string FolderOfThisProgram() {
    const std::wstring folder = fakes::FolderOfTestPrograms();
    return std::string(folder.begin(), folder.end());
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    return std::string(folder, ::GetSystemDirectoryA(folder, MAX_PATH));
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<fakes::DelayImportDef> DelayImports() {
    return fakes::ReadDelayImportDefs(QUILLCREST_DELAY_IMPORT_DIR);
}

// The probe in a folder of its own, beside a DLL only that folder holds and a planted DLL under the name of every
// DLL the program delay-loads, each of which leaves a mark when it is loaded. Under Wine the planted ones are
// searched for before the builtin ones, as Windows does for DLLs that are not KnownDLLs.
class DllSearchProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-dll-search-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        const std::string built = FolderOfThisProgram();
        copies_ = {kProbe, kPlantedDll};
        for (const fakes::DelayImportDef& def : DelayImports()) {
            dlls_.push_back(def.dll);
            copies_.push_back(def.dll);
        }
        ASSERT_FALSE(dlls_.empty()) << "no .def files in " << QUILLCREST_DELAY_IMPORT_DIR;
        for (std::size_t i = 0; i < copies_.size(); ++i) {
            const std::string from = built + (i == 0 ? kProbe : kPlantedDll);
            ASSERT_TRUE(::CopyFileA(from.c_str(), (folder_ + copies_[i]).c_str(), FALSE)) << copies_[i];
        }
        char overrides[1024] = {};
        ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        previousOverrides_ = overrides;
        std::string planted;
        for (const std::string& dll : dlls_)
            planted += (planted.empty() ? "" : ",") + dll.substr(0, dll.find('.'));
        ::SetEnvironmentVariableA("WINEDLLOVERRIDES", (previousOverrides_ + ";" + planted + "=n,b").c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("WINEDLLOVERRIDES", previousOverrides_.c_str());
        for (const std::string& name : copies_) {
            ::DeleteFileA((folder_ + name).c_str());
            ::DeleteFileA((folder_ + name + ".loaded").c_str());
        }
        ::RemoveDirectoryA(folder_.c_str());
    }

    // The marks planted DLLs left: which of them were loaded.
    std::vector<std::string> Marks() const {
        std::vector<std::string> marks;
        WIN32_FIND_DATAA found{};
        const HANDLE search = ::FindFirstFileA((folder_ + "*.loaded").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return marks;
        do
            marks.push_back(found.cFileName);
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return marks;
    }

    std::string folder_;
    std::vector<std::string> dlls_;
    std::vector<std::string> copies_;
    std::string previousOverrides_;
};

TEST_F(DllSearchProbeTest, SystemFolderOnlyIsInForceBeforeTheFirstDelayLoadedDll) {
    std::string commandLine = "\"" + folder_ + kProbe + "\"";
    for (const std::string& dll : dlls_)
        commandLine += " " + dll;
    DWORD exitCode = 0;
    const std::string output = fakes::RunAndRead(std::wstring(commandLine.begin(), commandLine.end()), exitCode);
    ASSERT_NE(output.find("started"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 0u) << output;

    EXPECT_TRUE(fakes::ValuesOf(output, "loaded-before").empty()) << "loaded before the search was restricted:\n"
                                                                  << output;
    EXPECT_EQ(fakes::ValuesOf(output, "own-folder-before"), std::vector<std::string>{"1"})
        << "the probe's folder should be searched by default, or the test proves nothing";
    EXPECT_EQ(fakes::ValuesOf(output, "search"), std::vector<std::string>{"system-folder-only"});
    EXPECT_EQ(fakes::ValuesOf(output, "own-folder-after"), std::vector<std::string>{"0"});
    EXPECT_EQ(fakes::ValuesOf(output, "failure-hook"), std::vector<std::string>{"1"});
    EXPECT_TRUE(fakes::ValuesOf(output, "no-call").empty()) << output;
    std::vector<std::string> expected;
    for (const std::string& dll : dlls_)
        expected.push_back(Lower(dll + "|" + SystemFolder() + "\\" + dll));
    std::vector<std::string> loaded;
    for (const std::string& value : fakes::ValuesOf(output, "loaded-from"))
        loaded.push_back(Lower(value));
    EXPECT_EQ(loaded, expected);
    EXPECT_TRUE(Marks().empty()) << "a planted DLL was loaded: " << Marks().front();
}

// A function without a stand-in would make the helper raise and end the program on the first call of it.
TEST(DelayLoadStandInTest, EveryDelayLoadedFunctionHasAStandIn) {
    const std::vector<fakes::DelayImportDef> defs = DelayImports();
    ASSERT_FALSE(defs.empty()) << "no .def files in " << QUILLCREST_DELAY_IMPORT_DIR;
    for (const fakes::DelayImportDef& def : defs) {
        for (const std::string& function : def.functions)
            EXPECT_NE(DelayLoadStandIn(def.dll, function), nullptr) << def.dll << " " << function;
    }
}

RVA RvaOf(const void* address) {
    return static_cast<RVA>(reinterpret_cast<const BYTE*>(address) - reinterpret_cast<const BYTE*>(&__ImageBase));
}

// An import by name, laid out as IMAGE_IMPORT_BY_NAME.
struct ImportName {
    WORD hint;
    char function[64];
};

// A delay import of two functions made by hand, as the delay-import libraries make them, inside this program's
// image (the helper reads every part of it as an offset from the image's start).
struct HandMadeDelayImport {
    char dll[MAX_PATH];
    HMODULE module;
    IMAGE_THUNK_DATA slots[3];
    IMAGE_THUNK_DATA names[3];
    ImportName functions[2];
    ImgDelayDescr descriptor;
};

HandMadeDelayImport handMade;

void MakeDelayImport(const std::string& dll, const char* first, const char* second) {
    handMade = HandMadeDelayImport{};
    std::strncpy(handMade.dll, dll.c_str(), sizeof handMade.dll - 1);
    std::strncpy(handMade.functions[0].function, first, sizeof handMade.functions[0].function - 1);
    std::strncpy(handMade.functions[1].function, second, sizeof handMade.functions[1].function - 1);
    handMade.names[0].u1.AddressOfData = RvaOf(&handMade.functions[0]);
    handMade.names[1].u1.AddressOfData = RvaOf(&handMade.functions[1]);
    handMade.descriptor.grAttrs = dlattrRva;
    handMade.descriptor.rvaDLLName = RvaOf(handMade.dll);
    handMade.descriptor.rvaHmod = RvaOf(&handMade.module);
    handMade.descriptor.rvaIAT = RvaOf(handMade.slots);
    handMade.descriptor.rvaINT = RvaOf(handMade.names);
}

// Asks the real delay-load helper for a function of the hand-made import, with the program's failure hook in place.
FARPROC LoadThroughTheHelper(std::size_t index) {
    const PfnDliHook previous = __pfnDliFailureHook2;
    __pfnDliFailureHook2 = &DelayLoadFailureHook;
    const FARPROC found = __delayLoadHelper2(&handMade.descriptor, reinterpret_cast<FARPROC*>(&handMade.slots[index]));
    __pfnDliFailureHook2 = previous;
    return found;
}

template <typename Function>
Function* As(FARPROC address) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
}

// Through the real helper, for a system without the DLL: the first call finds no DLL, a later one of another
// function finds no function; neither raises, and the program's calls report failures as the functions would.
TEST(DelayLoadStandInTest, MissingDllGivesEveryCallItsStandIn) {
    char temp[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
    MakeDelayImport(std::string(temp) + "quillcrest-no-such-folder\\iphlpapi.dll", "GetNetworkParams",
                    "GetAdaptersInfo");

    const FARPROC networkParams = LoadThroughTheHelper(0);
    ASSERT_NE(networkParams, nullptr);
    ULONG size = 0;
    EXPECT_EQ(As<DWORD WINAPI(PFIXED_INFO, PULONG)>(networkParams)(nullptr, &size),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(handMade.slots[0].u1.Function, reinterpret_cast<ULONG_PTR>(networkParams)) << "later calls go to it";

    const FARPROC adaptersInfo = LoadThroughTheHelper(1);
    ASSERT_NE(adaptersInfo, nullptr);
    EXPECT_NE(adaptersInfo, networkParams);
    EXPECT_EQ(As<DWORD WINAPI(PIP_ADAPTER_INFO, PULONG)>(adaptersInfo)(nullptr, &size),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

// Without a stand-in the hook gives the helper nothing, and the helper raises as it always would.
TEST(DelayLoadStandInTest, FunctionWithoutAStandInIsLeftToTheHelper) {
    DelayLoadInfo info{};
    info.cb = sizeof(info);
    info.szDll = "iphlpapi.dll";
    info.dlp.fImportByName = TRUE;
    info.dlp.szProcName = "GetIfTable";
    EXPECT_EQ(DelayLoadFailureHook(dliFailLoadLib, &info), nullptr);
    EXPECT_EQ(DelayLoadFailureHook(dliFailGetProc, &info), nullptr);
    info.dlp.szProcName = "GetNetworkParams";
    EXPECT_NE(DelayLoadFailureHook(dliFailGetProc, &info), nullptr);
    EXPECT_EQ(DelayLoadFailureHook(dliNotePreLoadLibrary, &info), nullptr) << "only failures are answered";
}

}  // namespace
}  // namespace quillcrest
