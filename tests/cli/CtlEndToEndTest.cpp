// kv4420ctl against kv4420-sim, both as real processes.

#include <gtest/gtest.h>
