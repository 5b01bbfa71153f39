#pragma once

#include <optional>
#include <string>
#include <vector>

#include "elevation/protection_rules.h"

namespace quillcrest::fakes {

// Descriptors in SDDL with what they mean for the role they are judged in: the system's documented defaults
// and the ways they go wrong. The native tests judge them through the test's SDDL reader; the Windows tests
// convert them with the system's own SDDL conversion and read them with the program's reader, so both readers
// must agree on each.
struct ProtectionRow {
    const char* name;
    std::optional<std::string> sddl;  // nullopt: a descriptor that could not be read
    ProtectedRole role;
    ProtectionProblem problem;
};

inline const std::vector<ProtectionRow>& ProtectionRows() {
    using Role = ProtectedRole;
    using Problem = ProtectionProblem;
    static const std::string trustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    static const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1001";
    // A folder created under Program Files by an installer running as an administrator: everything inherited
    // from Program Files, which gives the system and administrators modify rights on itself.
    static const std::string programFilesEntries =
        "(A;ID;FA;;;" + trustedInstaller + ")(A;CIIOID;GA;;;" + trustedInstaller +
        ")(A;ID;0x1301bf;;;SY)(A;OICIIOID;GA;;;SY)(A;ID;0x1301bf;;;BA)(A;OICIIOID;GA;;;BA)"
        "(A;ID;0x1200a9;;;BU)(A;OICIIOID;GXGR;;;BU)(A;OICIIOID;GA;;;CO)(A;ID;0x1200a9;;;AC)(A;OICIIOID;GXGR;;;AC)";
    static const std::string programFilesByTrustedInstaller = "O:" + trustedInstaller + "D:AI" + programFilesEntries;
    // The root of a system drive: Authenticated Users may create folders in it (LC, this folder only) and get
    // modify rights on what they create (inherit-only).
    static const std::string systemDriveRoot =
        "O:" + trustedInstaller +
        "D:PAI(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
    static const std::vector<ProtectionRow> rows = {
        {"program files subfolder owned by trustedinstaller", programFilesByTrustedInstaller, Role::kProgramFolder,
         Problem::kNone},
        {"program files subfolder owned by administrators with full control",
         "O:BAD:AI(A;ID;FA;;;SY)(A;OICIIOID;GA;;;SY)(A;ID;FA;;;BA)(A;OICIIOID;GA;;;BA)(A;ID;0x1200a9;;;BU)"
         "(A;OICIIOID;GXGR;;;BU)(A;OICIIOID;GA;;;CO)(A;ID;0x1200a9;;;AC)(A;OICIIOID;GXGR;;;AC)",
         Role::kProgramFolder, Problem::kNone},
        {"program file in a program files subfolder",
         "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)(A;ID;0x1200a9;;;AC)", Role::kProgramFile,
         Problem::kNone},
        {"program files subfolder with users modify", "O:BAD:AI" + programFilesEntries + "(A;OICI;0x1301bf;;;BU)",
         Role::kProgramFolder, Problem::kUntrustedGrant},
        {"program files subfolder owned by the user", "O:" + user + "D:AI" + programFilesEntries, Role::kProgramFolder,
         Problem::kUntrustedOwner},
        {"local application data owned by the user",
         "O:" + user + "D:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;FA;;;" + user + ")", Role::kProgramFolder,
         Problem::kUntrustedOwner},
        {"local application data given to an administrator owner",
         "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;FA;;;" + user + ")", Role::kProgramFolder,
         Problem::kUntrustedGrant},
        {"inherit only write for users grants nothing to the folder",
         "O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;OICIIO;FW;;;BU)", Role::kProgramFolder, Problem::kNone},
        {"deny entry for users grants nothing", "O:BAD:(D;;FA;;;BU)(A;;FA;;;SY)", Role::kProgramFile, Problem::kNone},
        {"generic write for users on the program file", "O:BAD:(A;;FA;;;SY)(A;;GW;;;BU)", Role::kProgramFile,
         Problem::kUntrustedGrant},
        {"generic all for everyone", "O:SYD:(A;;GA;;;WD)", Role::kProgramFile, Problem::kUntrustedGrant},
        {"write dac alone for authenticated users", "O:SYD:(A;;FA;;;SY)(A;;WD;;;AU)", Role::kProgramFile,
         Problem::kUntrustedGrant},
        {"write owner alone for users", "O:SYD:(A;;WO;;;BU)", Role::kProgramFile, Problem::kUntrustedGrant},
        {"delete alone for users", "O:SYD:(A;;SD;;;BU)", Role::kProgramFile, Problem::kUntrustedGrant},
        {"adding subfolders for users", "O:SYD:(A;;FA;;;SY)(A;;LC;;;BU)", Role::kProgramFolder,
         Problem::kUntrustedGrant},
        {"adding files for users", "O:SYD:(A;;FA;;;SY)(A;;DC;;;BU)", Role::kProgramFolder, Problem::kUntrustedGrant},
        {"deleting children for users", "O:SYD:(A;;0x40;;;BU)", Role::kProgramFolder, Problem::kUntrustedGrant},
        {"maximum allowed for users", "O:SYD:(A;;0x2000000;;;BU)", Role::kProgramFile, Problem::kUntrustedGrant},
        {"reading and running for everyone", "O:SYD:(A;;FA;;;SY)(A;;FR;;;WD)(A;;FX;;;WD)(A;;GRGX;;;WD)(A;;RC;;;WD)",
         Role::kProgramFile, Problem::kNone},
        {"creator owner full control that is not inherit only", "O:SYD:(A;;FA;;;CO)", Role::kProgramFolder,
         Problem::kUntrustedGrant},
        {"audit entry in the dacl is a type not judged", "O:BAD:(A;;FA;;;SY)(AU;SA;FR;;;BU)", Role::kProgramFolder,
         Problem::kUnknownContent},
        {"alarm entry even when inherit only", "O:BAD:(A;;FA;;;SY)(AL;OICIIO;FR;;;BU)", Role::kFolderAbove,
         Problem::kUnknownContent},
        {"no dacl at all", "O:BA", Role::kProgramFolder, Problem::kNullDacl},
        {"empty dacl lets no one in", "O:BAD:", Role::kProgramFolder, Problem::kNone},
        {"no owner", "D:(A;;FA;;;SY)", Role::kProgramFile, Problem::kNoOwner},
        {"unreadable descriptor", std::nullopt, Role::kProgramFile, Problem::kUnreadable},

        // Folders above the program's folder: what renames or re-permissions them counts, creating in them not.
        {"system drive root above", systemDriveRoot, Role::kFolderAbove, Problem::kNone},
        {"system drive root as the program's folder", systemDriveRoot, Role::kProgramFolder, Problem::kUntrustedGrant},
        {"program files above", programFilesByTrustedInstaller, Role::kFolderAbove, Problem::kNone},
        {"users folder above",
         "O:SYD:PAI(A;OICIIO;GA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)"
         "(A;;0x1200a9;;;WD)(A;OICIIO;GXGR;;;WD)",
         Role::kFolderAbove, Problem::kNone},
        {"user profile above", "O:" + user + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user + ")",
         Role::kFolderAbove, Problem::kUntrustedOwner},
        {"plain writing for users above", "O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FW;;;BU)", Role::kFolderAbove,
         Problem::kNone},
        {"generic write for users above", "O:BAD:(A;;FA;;;SY)(A;;GW;;;BU)", Role::kFolderAbove, Problem::kNone},
        {"delete for users above", "O:BAD:(A;;FA;;;SY)(A;;SD;;;BU)", Role::kFolderAbove, Problem::kUntrustedGrant},
        {"deleting children for users above", "O:BAD:(A;;FA;;;SY)(A;;0x1200a9;;;BU)(A;;0x40;;;BU)", Role::kFolderAbove,
         Problem::kUntrustedGrant},
        {"write dac for users above", "O:BAD:(A;;WD;;;BU)", Role::kFolderAbove, Problem::kUntrustedGrant},
        {"generic all for users above", "O:BAD:(A;;GA;;;BU)", Role::kFolderAbove, Problem::kUntrustedGrant},
    };
    return rows;
}

}  // namespace quillcrest::fakes
