// Expected files committed beside the tests: a report is compared with its expected file byte
// for byte. With SENTROVIA_UPDATE_GOLDEN set in the environment the expected file is written
// from the text instead (and the comparison still fails, so an update is never silent).
#pragma once
#include <string>

#include <gtest/gtest.h>

::testing::AssertionResult MatchesGolden(const std::string &text, const char *name);
// The committed file's path (tests/explorer/golden/<name>).
std::string GoldenPath(const char *name);
