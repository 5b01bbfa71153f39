#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/com_setup_win.h"
#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

// The tests run on one thread, like the program's user interface, inside the same COM set-up. It is the first
// COM act of the test program, so it is the one that chooses the process's security.
class ComEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { com_ = std::make_unique<ComSetup>(); }
    void TearDown() override { com_.reset(); }
    const ComSetup* setup() const { return com_.get(); }

  private:
    std::unique_ptr<ComSetup> com_;
};

ComEnvironment* const kComEnvironment =
    static_cast<ComEnvironment*>(::testing::AddGlobalTestEnvironment(new ComEnvironment));

// Each case runs on a thread of its own, so that the apartment the tests share is left alone.
void OnFreshThread(const std::function<void()>& body) {
    std::thread(body).join();
}

std::string SidText(PSID sid) {
    LPSTR text = nullptr;
    if (sid == nullptr || !::ConvertSidToStringSidA(sid, &text))
        return "<none>";
    const UniqueLocal owner(text);
    return text;
}

// One entry of an access list: whom it names, what kind it is and what it grants.
struct AccessEntry {
    std::string sid;
    BYTE type;
    DWORD rights;

    bool operator<(const AccessEntry& other) const { return sid < other.sid; }
    bool operator==(const AccessEntry& other) const {
        return sid == other.sid && type == other.type && rights == other.rights;
    }
};

void PrintTo(const AccessEntry& entry, std::ostream* out) {
    *out << entry.sid << " type " << static_cast<int>(entry.type) << " rights " << entry.rights;
}

// What a security descriptor said at the moment it was handed over.
struct DescriptorFacts {
    bool given = false;
    bool valid = false;
    bool selfRelative = false;
    std::string owner;
    std::string group;
    bool hasAccessList = false;
    std::vector<AccessEntry> entries;  // sorted by SID
};

DescriptorFacts FactsOf(PSECURITY_DESCRIPTOR descriptor) {
    DescriptorFacts facts;
    if (descriptor == nullptr)
        return facts;
    facts.given = true;
    facts.valid = ::IsValidSecurityDescriptor(descriptor) != FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    facts.selfRelative = (control & SE_SELF_RELATIVE) != 0;
    PSID sid = nullptr;
    BOOL defaulted = FALSE;
    if (::GetSecurityDescriptorOwner(descriptor, &sid, &defaulted))
        facts.owner = SidText(sid);
    if (::GetSecurityDescriptorGroup(descriptor, &sid, &defaulted))
        facts.group = SidText(sid);
    BOOL present = FALSE;
    PACL acl = nullptr;
    if (::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && present && acl) {
        facts.hasAccessList = true;
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            void* ace = nullptr;
            if (!::GetAce(acl, i, &ace))
                continue;
            const auto* header = static_cast<const ACE_HEADER*>(ace);
            if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
                auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
                facts.entries.push_back({SidText(&allowed->SidStart), header->AceType, allowed->Mask});
            } else {
                facts.entries.push_back({"<other kind>", header->AceType, 0});
            }
        }
        std::sort(facts.entries.begin(), facts.entries.end());
    }
    return facts;
}

std::string ProcessUserSidText() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return "<no token>";
    const UniqueKernelHandle token(opened);
    BYTE buffer[256] = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
        return "<no user>";
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

// One CoInitializeSecurity call as it left the program, and what the platform answered.
struct SecurityCall {
    DescriptorFacts descriptor;
    LONG authenticationServices;
    DWORD authenticationLevel;
    DWORD impersonationLevel;
    DWORD capabilities;
    HRESULT answer;
};

using CoInitializeSecurityFunction = decltype(&::CoInitializeSecurity);

// Wine keeps no process-wide COM security: CoInitializeSecurity answers S_OK to every call and no blanket
// reports the level chosen. What the program asks the platform for is therefore watched where it leaves the
// program: its import of ole32's CoInitializeSecurity is pointed at a recorder that passes every call on.
class SecurityCallRecorder {
  public:
    SecurityCallRecorder() {
        slot_ = FindImportSlot("ole32.dll", "CoInitializeSecurity");
        if (!slot_)
            return;
        original_ = reinterpret_cast<CoInitializeSecurityFunction>(*slot_);
        calls_.clear();
        Redirect(reinterpret_cast<ULONG_PTR>(&Record));
    }
    ~SecurityCallRecorder() {
        if (slot_)
            Redirect(reinterpret_cast<ULONG_PTR>(original_));
    }
    SecurityCallRecorder(const SecurityCallRecorder&) = delete;
    SecurityCallRecorder& operator=(const SecurityCallRecorder&) = delete;

    bool installed() const { return slot_ != nullptr; }
    const std::vector<SecurityCall>& calls() const { return calls_; }

  private:
    static ULONG_PTR* FindImportSlot(const char* library, const char* function) {
        auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            }
        }
        return nullptr;
    }

    void Redirect(ULONG_PTR target) {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = target;
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    static HRESULT WINAPI Record(PSECURITY_DESCRIPTOR descriptor,
                                 LONG authenticationServices,
                                 SOLE_AUTHENTICATION_SERVICE* services,
                                 void* reserved1,
                                 DWORD authenticationLevel,
                                 DWORD impersonationLevel,
                                 void* authenticationList,
                                 DWORD capabilities,
                                 void* reserved3) {
        const HRESULT answer = original_(descriptor, authenticationServices, services, reserved1, authenticationLevel,
                                         impersonationLevel, authenticationList, capabilities, reserved3);
        calls_.push_back({FactsOf(descriptor), authenticationServices, authenticationLevel, impersonationLevel,
                          capabilities, answer});
        return answer;
    }

    ULONG_PTR* slot_ = nullptr;
    static inline CoInitializeSecurityFunction original_ = nullptr;
    static inline std::vector<SecurityCall> calls_;
};

TEST(ComSetupTest, FirstSetUpOfTheProcessChoosesItsSecurity) {
    const ComSetup* first = kComEnvironment->setup();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->apartmentResult(), S_OK);
    EXPECT_EQ(first->securityResult(), S_OK);
}

// A set-up of its own on a fresh thread, as its one call of CoInitializeSecurity left the program.
struct RecordedSetUp {
    std::size_t calls = 0;
    SecurityCall call{};
    HRESULT securityResult = E_FAIL;
};

RecordedSetUp SetUpOnAFreshThread() {
    RecordedSetUp recorded;
    OnFreshThread([&recorded] {
        const SecurityCallRecorder recorder;
        if (!recorder.installed())
            return;
        const ComSetup setup;
        recorded.calls = recorder.calls().size();
        if (!recorder.calls().empty())
            recorded.call = recorder.calls().front();
        recorded.securityResult = setup.securityResult();
    });
    return recorded;
}

// Without impersonation WMI may read the network configuration but refuses to change it.
TEST(ComSetupTest, AsksForImpersonationWithDefaultAuthentication) {
    const RecordedSetUp setUp = SetUpOnAFreshThread();
    ASSERT_EQ(setUp.calls, 1u) << "the set-up's CoInitializeSecurity was not seen";
    EXPECT_EQ(setUp.call.impersonationLevel, static_cast<DWORD>(RPC_C_IMP_LEVEL_IMPERSONATE));
    EXPECT_EQ(setUp.call.authenticationLevel, static_cast<DWORD>(RPC_C_AUTHN_LEVEL_DEFAULT));
    EXPECT_EQ(setUp.call.authenticationServices, -1);
    EXPECT_EQ(setUp.call.capabilities, static_cast<DWORD>(EOAC_NONE));
    // Security was chosen already by the first set-up (Windows answers RPC_E_TOO_LATE; Wine answers S_OK):
    // the set-up reports the platform's answer as it came.
    EXPECT_EQ(setUp.securityResult, setUp.call.answer);
}

// The process may run with administrator rights: a null descriptor would let any caller into its COM objects.
TEST(ComSetupTest, OnlyTheUserSystemAndAdministratorsMayCallIn) {
    const RecordedSetUp setUp = SetUpOnAFreshThread();
    ASSERT_EQ(setUp.calls, 1u) << "the set-up's CoInitializeSecurity was not seen";
    const DescriptorFacts& descriptor = setUp.call.descriptor;
    ASSERT_TRUE(descriptor.given);
    EXPECT_TRUE(descriptor.valid);
    EXPECT_FALSE(descriptor.selfRelative) << "COM takes an absolute descriptor only";
    const std::string user = ProcessUserSidText();
    EXPECT_EQ(descriptor.owner, user);
    EXPECT_EQ(descriptor.group, user);
    ASSERT_TRUE(descriptor.hasAccessList) << "no access list lets everyone in";
    constexpr DWORD kCallIn = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;
    std::vector<AccessEntry> expected = {
        {user, ACCESS_ALLOWED_ACE_TYPE, kCallIn},
        {"S-1-5-18", ACCESS_ALLOWED_ACE_TYPE, kCallIn},
        {"S-1-5-32-544", ACCESS_ALLOWED_ACE_TYPE, kCallIn},
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(descriptor.entries, expected);
}

TEST(ComSetupTest, EntersApartmentAndLeavesItAgain) {
    OnFreshThread([] {
        {
            ComSetup setup;
            EXPECT_EQ(setup.apartmentResult(), S_OK);
            // The thread is single-threaded now: it cannot switch to the multithreaded kind.
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        }
        // Left again: the thread is free to choose.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    });
}

TEST(ComSetupTest, LeavesAnotherApartmentKindAlone) {
    OnFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            ComSetup setup;
            EXPECT_EQ(setup.apartmentResult(), RPC_E_CHANGED_MODE);
        }
        // Still in the apartment the thread chose itself.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    });
}

}  // namespace
}  // namespace quillcrest
