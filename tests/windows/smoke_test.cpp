#include <gtest/gtest.h>
#include "base/win_handles_win.h"
