#pragma once

#define IDI_APPICON 1
