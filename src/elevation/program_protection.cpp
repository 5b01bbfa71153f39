#include "elevation/program_protection.h"

namespace quillcrest {
namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongSharePrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kSharePrefix[] = L"\\\\";

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// "X:\" at `at`: the root's length through its separator, 0 when it is not there.
std::size_t DriveRootEnd(const std::wstring& path, std::size_t at) {
    const bool drive =
        path.size() > at + 2 && IsAsciiLetter(path[at]) && path[at + 1] == L':' && path[at + 2] == kSeparator;
    return drive ? at + 3 : 0;
}

// "server\share\" at `at`: the root's length through the separator after the share, 0 when it is not there.
// "." and "?" as server names are the device namespaces, not shares.
std::size_t ShareRootEnd(const std::wstring& path, std::size_t at) {
    const std::size_t serverEnd = path.find(kSeparator, at);
    if (serverEnd == std::wstring::npos || serverEnd == at)
        return 0;
    const std::wstring server = path.substr(at, serverEnd - at);
    if (server == L"." || server == L"?")
        return 0;
    const std::size_t shareEnd = path.find(kSeparator, serverEnd + 1);
    if (shareEnd == std::wstring::npos || shareEnd == serverEnd + 1)
        return 0;
    return shareEnd + 1;
}

std::size_t RootLength(const std::wstring& path) {
    if (StartsWith(path, kLongSharePrefix))
        return ShareRootEnd(path, std::wstring(kLongSharePrefix).size());
    if (StartsWith(path, kLongPathPrefix))
        return DriveRootEnd(path, std::wstring(kLongPathPrefix).size());
    if (StartsWith(path, kSharePrefix))
        return ShareRootEnd(path, std::wstring(kSharePrefix).size());
    return DriveRootEnd(path, 0);
}

// The parts after the root, or none when one of them is of a form that could lead elsewhere than it reads.
std::vector<std::wstring> PartsAfterRoot(const std::wstring& path, std::size_t rootLength) {
    std::vector<std::wstring> parts;
    std::size_t start = rootLength;
    while (start <= path.size()) {
        std::size_t end = path.find(kSeparator, start);
        if (end == std::wstring::npos)
            end = path.size();
        const std::wstring part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L".." || part.find_first_of(L"/:") != std::wstring::npos)
            return {};
        parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string ReasonFor(ProtectionProblem problem, ProtectedRole role, const std::string& path) {
    switch (problem) {
        case ProtectionProblem::kUnreadable:
            return "the permissions of " + Quoted(path) + " could not be read";
        case ProtectionProblem::kUnknownContent:
            return "the permissions of " + Quoted(path) + " hold entries Quillcrest cannot judge";
        case ProtectionProblem::kNoOwner:
            return "the permissions of " + Quoted(path) + " name no owner";
        case ProtectionProblem::kUntrustedOwner:
        case ProtectionProblem::kNullDacl:
        case ProtectionProblem::kUntrustedGrant:
        case ProtectionProblem::kNone:
            break;
    }
    switch (role) {
        case ProtectedRole::kProgramFile:
            return "its program file " + Quoted(path) + " can be changed without administrator rights";
        case ProtectedRole::kProgramFolder:
            return "its folder " + Quoted(path) + " can be changed without administrator rights";
        case ProtectedRole::kFolderAbove:
            break;
    }
    return "the folder " + Quoted(path) + " that holds its folder can be renamed without administrator rights";
}

}  // namespace

std::string UnprotectedProgramMessage(const std::string& reason) {
    return "The change was not made, because Quillcrest asks for administrator rights only where no program "
           "without them can change its files, and " +
           reason + ". Install Quillcrest for all users with its Setup, or start it with \"Run as administrator\".";
}

std::vector<ProtectedPath> PathsThatProtect(const std::wstring& executable) {
    const std::size_t rootLength = RootLength(executable);
    if (rootLength == 0)
        return {};
    const std::vector<std::wstring> parts = PartsAfterRoot(executable, rootLength);
    if (parts.empty())
        return {};
    // The path through the first `count` parts; the root alone keeps its separator.
    const std::wstring root = executable.substr(0, rootLength);
    auto through = [&](std::size_t count) {
        std::wstring path = root;
        for (std::size_t i = 0; i < count; ++i)
            path += (i > 0 ? std::wstring(1, kSeparator) : std::wstring()) + parts[i];
        return path;
    };
    std::vector<ProtectedPath> paths = {{through(parts.size() - 1), ProtectedRole::kProgramFolder},
                                        {through(parts.size()), ProtectedRole::kProgramFile}};
    for (std::size_t count = parts.size() - 1; count-- > 0;)
        paths.push_back({through(count), ProtectedRole::kFolderAbove});
    return paths;
}

ProtectionVerdict JudgeProgramProtection(const std::wstring& executable,
                                         const SecurityReader& read,
                                         const ShownPath& shown) {
    if (executable.empty())
        return {false, "the path of its program file could not be read"};
    const std::vector<ProtectedPath> paths = PathsThatProtect(executable);
    if (paths.empty())
        return {false, "the path " + Quoted(shown(executable)) + " is of a form Quillcrest cannot check"};
    for (const ProtectedPath& path : paths) {
        const ProtectionProblem problem = FindProtectionProblem(read(path.path), path.role);
        if (problem != ProtectionProblem::kNone)
            return {false, ReasonFor(problem, path.role, shown(path.path))};
    }
    return {true, ""};
}

}  // namespace quillcrest
