// The select dialog driven from the keyboard in the running program.
#include <gtest/gtest.h>

#include "EndToEnd/KairodexProcess.h"
