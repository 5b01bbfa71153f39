#include <gtest/gtest.h>
#include "base/unique_handle.h"
