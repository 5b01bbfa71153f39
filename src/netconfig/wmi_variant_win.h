#pragma once

#include <wbemidl.h>
#include <windows.h>

#include "netconfig/wmi_value.h"

namespace quillcrest {

// Converts a property value read from WMI by its CIM type: string, uint32, sint32 and boolean scalars and
// arrays of any type. Any other CIM type raises EWmiError "Unsupported CIM data type: N".
WmiValue WmiValueFromVariant(const VARIANT& value, CIMTYPE type);

}  // namespace quillcrest
