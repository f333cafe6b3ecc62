#include "lookup.h"

#include <string>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "options.h"
#include "regsandbox.h"
#include "texts.h"

namespace {

std::string Address(int kind, const std::string &path, const char *title, bool detailed)
{
    char address[4096];
    LookupAddress(kind, path.c_str(), title, detailed, address, sizeof address);
    return address;
}

std::string QueryOf(const std::string &address)
{
    size_t query = address.find('?');
    return query == std::string::npos ? "" : address.substr(query);
}

class Lookup : public ::testing::Test {
protected:
    void TearDown() override { InitLanguage(); }
    RegistrySandbox sandbox_;
};

TEST_F(Lookup, PlainQueryCarriesNameVendorVersionsKindLanguageAndExtension)
{
    const std::string monitor = BuildFile("Sentrovia.exe");
    // The running test has no version resource of its own, so its build is empty.
    EXPECT_EQ("?program=Sentrovia.exe&vendor=Orvanto&version=15.9.2008.0&build=&Type=460&Loc=en"
              "&ext=exe&q=Sentrovia.exe%20Orvanto",
              QueryOf(Address(460, monitor, "", false)));
    // A web search for the file and its company.
    EXPECT_EQ(0u, Address(460, monitor, "", false).find("https://duckduckgo.com/?"));

    SetLanguageId(12);
    EXPECT_NE(std::string::npos, Address(460, monitor, "", false).find("&Loc=fr&"));
    SetLanguageId(7);
    EXPECT_NE(std::string::npos, Address(460, monitor, "", false).find("&Loc=de&"));
}

TEST_F(Lookup, TitleStandsInForAMissingPathAndValuesAreEscaped)
{
    EXPECT_EQ("?program=Tom%20+%20Jerry&vendor=&version=&build=&Type=800&Loc=en&ext="
              "&q=Tom%20+%20Jerry",
              QueryOf(Address(800, "", "Tom & Jerry", false)));
}

TEST_F(Lookup, DetailedQueryAddsNamesFactsAndPath)
{
    const std::string monitor = BuildFile("Sentrovia.exe");
    std::string query = QueryOf(Address(460, monitor, "", true));
    const char *keys[] = {"?program=Sentrovia.exe", "&vendor=Orvanto", "&build=", "&Type=460",
                          "&Loc=us",  "&ext=exe", "&version=15.9.2008.0", "&name=Sentrovia",
                          "&copy=Copyright%20(C)%202026%20Orvanto",
                          "&detail=Sentrovia%20Monitor", "&created=", "&detected=", "&fsize=",
                          "&path=", "&q=Sentrovia.exe%20Orvanto"};
    size_t at = 0;
    for (const char *key : keys) {
        SCOPED_TRACE(key);
        size_t found = query.find(key, at);
        ASSERT_NE(std::string::npos, found) << query;
        at = found + 1;
    }
    EXPECT_EQ(std::string::npos, query.find(' '));
}

} // namespace
