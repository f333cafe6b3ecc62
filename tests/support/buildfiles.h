// Where the test finds the built programs: beside its own file.
#pragma once
#include <string>

std::string BuildFolder();
std::string BuildFile(const char *name);
