#include <gtest/gtest.h>

#include <windows.h>
// Needs the declarations of windows.h first.
#include <sddl.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "settings/registry_api_win.h"
#include "support/registry_contract.h"

namespace quillcrest::contract {
namespace {

const char kScratchRoot[] = "Software\\QuillcrestTest";

bool SetDacl(HKEY key, const char* sddl) {
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &raw, nullptr))
        return false;
    UniqueLocal descriptor;
    descriptor.reset(raw);
    return ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, raw) == ERROR_SUCCESS;
}

// The registry of the running Windows (Wine's, here). Each case works below a key of its own in
// HKEY_CURRENT_USER, removed before and after it.
class Win32RegistryBackend final : public RegistryContractBackend {
  public:
    Win32RegistryBackend() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        scratch_ = std::string(kScratchRoot) + "\\Contract.";
        for (const char* p = info->name(); *p != '\0'; ++p)
            scratch_ += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        ::RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    }
    ~Win32RegistryBackend() override {
        // The handles opened before the keys were locked still hold WRITE_DAC, so the keys can be handed back.
        for (const UniqueKey& key : restricted_)
            EXPECT_TRUE(SetDacl(key.get(), "D:P(A;;KA;;;WD)"));
        restricted_.clear();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        UniqueKey left;
        EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch_.c_str(), 0, KEY_READ, left.put()), ERROR_SUCCESS)
            << "the case's key must be gone again";
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);  // only succeeds once no other test uses it
    }

    RegistryApi& api() override { return registry_; }
    std::string scratch() const override { return scratch_; }
    void GrantOnlyRead(const std::string& path) override {
        UniqueKey key;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
        // Protected: everyone may read the key, nobody may change it.
        ASSERT_TRUE(SetDacl(key.get(), "D:P(A;;KR;;;WD)"));
        restricted_.push_back(std::move(key));
    }

  private:
    Win32RegistryApi registry_;
    std::string scratch_;
    std::vector<UniqueKey> restricted_;
};

}  // namespace

std::unique_ptr<RegistryContractBackend> MakeRegistryContractBackend() {
    return std::make_unique<Win32RegistryBackend>();
}

QUILLCREST_INSTANTIATE_REGISTRY_CONTRACT(Win32Registry);

}  // namespace quillcrest::contract
