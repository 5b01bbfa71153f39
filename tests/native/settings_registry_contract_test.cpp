#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/registry_contract.h"
#include "support/settings_fake_registry.h"

namespace quillcrest::contract {
namespace {

// The in-memory registry the portable tests use in place of the real one.
class FakeRegistryBackend final : public RegistryContractBackend {
  public:
    ~FakeRegistryBackend() override {
        EXPECT_EQ(registry_.openHandleCount(), 0u) << "every key the operations opened must be closed again";
    }
    RegistryApi& api() override { return registry_; }
    std::string scratch() const override { return "Software\\QuillcrestTest\\Contract"; }
    void GrantOnlyRead(const std::string& path) override { registry_.Grant("HKCU\\" + path, kKeyRead); }

  private:
    fakes::FakeRegistryApi registry_;
};

}  // namespace

std::unique_ptr<RegistryContractBackend> MakeRegistryContractBackend() {
    return std::make_unique<FakeRegistryBackend>();
}

QUILLCREST_INSTANTIATE_REGISTRY_CONTRACT(FakeRegistry);

}  // namespace quillcrest::contract
