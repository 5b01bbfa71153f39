#pragma once

#include "resolution/resolution_comparison.h"
#include "resolution/undo_plan.h"
#include "support/resolution_settings_builder.h"

namespace quillcrest::fakes {

// A PC whose settings were changed in every way "Undo" meets, and the plan that puts them back:
//   items      0 IPv6 DNS servers ("Ethernet"): set back to fd00::53 (changed on this PC)
//              1 name resolution rule "." ("policy rules"): delete it (a policy setting)
//              2 name resolution rule ".bank.example" ("local rules"): delete it
//              3 hosts file ("C:\Windows\System32\drivers\etc\hosts"): write back its recorded content (21 bytes)
//   left alone IPv6 DNS servers ("Wi-Fi"): handed out by the network (fd00::bad)
//              network adapter with DNS servers ("VPN"): new since the baseline
struct UndoScenario {
    ResolutionSettings baseline;
    ResolutionSettings current;
    UndoPlan plan;

    UndoScenario() {
        const char* const ethernet = "{E1000000-0000-4000-8000-000000000001}";
        const char* const wifi = "{E1000000-0000-4000-8000-000000000002}";
        Machine before;
        before.Adapter(ethernet, "Ethernet", {"fd00::53"})
            .Adapter(wifi, "Wi-Fi", {"fd00::1"})
            .Sz(RegistryStore::StaticIpv6Servers, ethernet, "NameServer", "fd00::53")
            .Hosts("127.0.0.1 localhost\r\n");
        Machine after;
        after.Adapter(ethernet, "Ethernet", {"fd00::66"})
            .Adapter(wifi, "Wi-Fi", {"fd00::bad"})
            .Adapter("{VPN}", "VPN", {}, {"10.8.0.1"})
            .Sz(RegistryStore::StaticIpv6Servers, ethernet, "NameServer", "fd00::66")
            .Rule(RegistryStore::PolicyRules, "{P}", ".", "203.0.113.53")
            .Rule(RegistryStore::LocalRules, "{L}", ".bank.example", "203.0.113.7")
            .Hosts("127.0.0.1 localhost\r\n203.0.113.7 bank.example\r\n");
        baseline = before.settings;
        current = after.settings;
        plan = MakeUndoPlan(baseline, current, CompareResolutionSettings(baseline, current));
    }
};

}  // namespace quillcrest::fakes
