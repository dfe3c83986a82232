#pragma once

// What the suites share: GoogleTest, the standard library's text, stream, vector and file-system
// headers, and the helpers of tests/support that need nothing beyond the link library.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"
#include "tests/support/TestFiles.h"
