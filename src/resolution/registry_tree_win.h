#pragma once

#include <vector>

#include "resolution/registry_tree.h"

namespace quillcrest {

// RegistryTree on the wide registry functions of the running Windows. Keeps its buffers between calls, so a
// read that finds what it found before allocates nothing new; one object serves one thread.
class Win32RegistryTree final : public RegistryTree {
  public:
    Win32RegistryTree();
    RegistryKeyContents ReadKey(const std::string& path, const RegistryKeyQuery& query) override;

  private:
    std::vector<wchar_t> nameBuffer_;
    std::vector<unsigned char> dataBuffer_;
};

}  // namespace quillcrest
