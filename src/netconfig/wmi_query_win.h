#pragma once

#include <wbemidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query.h"

namespace quillcrest {

// WmiQuery over WMI's COM interface: ExecQuery with "return immediately, forward only" and one row fetched
// at a time. Fields convert when they are read, so a property of a type without a value form only fails
// the query when somebody actually reads it.
class WbemQuery final : public WmiQuery {
  public:
    // The connection is not owned and must outlive the query; null makes open() raise.
    explicit WbemQuery(WmiConnection* connection);

    void setWql(const std::string& wql) override;
    void open() override;
    void first() override;
    bool eof() const override;
    WmiValue fieldByName(const std::string& name) const override;
    WmiValue findField(const std::string& name) const override;
    void next() override;
    void close() override;

  private:
    void execute();
    void fetch();
    void requireOpen() const;
    // Answers false when the current row has no such property.
    bool readField(const std::string& name, WmiValue& out) const;

    WmiConnection* connection_;
    std::string wql_;
    bool open_ = false;
    bool movedPastFirst_ = false;
    Microsoft::WRL::ComPtr<IEnumWbemClassObject> rows_;
    Microsoft::WRL::ComPtr<IWbemClassObject> row_;
};

}  // namespace quillcrest
