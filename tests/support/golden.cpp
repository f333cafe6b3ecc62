#include "golden.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string GoldenPath(const char *name)
{
    // The source folder as Wine's Z: drive shows the build machine's root.
    return std::string("Z:") + SENTROVIA_GOLDEN_DIR + "/" + name;
}

::testing::AssertionResult MatchesGolden(const std::string &text, const char *name)
{
    const std::string path = GoldenPath(name);
    if (getenv("SENTROVIA_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << text;
        return ::testing::AssertionFailure() << "wrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ::testing::AssertionFailure() << "no expected file " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    const std::string want = expected.str();
    if (want == text)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < want.size() && at < text.size() && want[at] == text[at])
        ++at;
    const size_t from = at > 60 ? at - 60 : 0;
    return ::testing::AssertionFailure()
           << name << " differs at byte " << at << "\n--- expected:\n"
           << want.substr(from, 160) << "\n--- written:\n"
           << text.substr(from, 160);
}
