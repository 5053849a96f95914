#include "config/config.h"

#include <gtest/gtest.h>

#include "tools/test_support.h"

namespace {

using util::Config;

// The store's written form, and its first error or "" for none.
struct Parsed { std::string entries, error; };

// What the store says of its first error while it has none.
const char kNoError[] = "No error message set.";

Parsed parse(const std::string& text, bool throwOnError) {
    ScratchDirectory scratch;
    try {
        Config config(scratch.write("config.txt", text), throwOnError);
        const std::string& first = config.getFirstError().getMessage();
        if (config.isErrorRecorded()) return {config.toString(), first};
        return {config.toString(), first == kNoError ? "" : "(no error, yet \"" + first + "\")"};
    } catch (const Config::ConfigException& e) {
        return {"(thrown)", e.getMessage()};
    }
}

const char kValueWithoutKey[] = "A value without a key was detected, value: ";
const char kKeyWithoutValue[] = "A key without a value was detected, key: ";
const char kDefinedTwice[] = "A key was defined twice. Key: ";

TEST(ConfigParseTest, ReadsEntriesOrGivesTheExactError) {
    // The entries in recording mode, and the first error in either mode.
    struct Case { std::string text, recorded, error; };
    const Case cases[] = {
        {"", "", ""},
        {"\n\r\n# comment\n#A 1\n", "", ""},
        {"A 1\r\nB 2\r\n", "A 1\nB 2\n", ""},
        {"A 1\nB 2\n", "A 1\nB 2\n", ""},
        {"A  x y \n", "A  x y \n", ""},
        {"A \n", "A \n", ""},
        {"A#b c#d\n", "A#b c#d\n", ""},
        {"\rKEY ignored\nA 1", "A 1\n", ""},
        {"A 1\nB 2", "A 1\nB 2\n", ""},
        {"A va\rlue\nB 2\n", "A va\nB 2\n", ""},
        {"A\tb c\n", "A\tb c\n", ""},
        {"B 1\nA 2\na 3\nAB 4\n", "A 2\nAB 4\nB 1\na 3\n", ""},
        {std::string("K a\0b\n", 6), std::string("K a\0b\n", 6), ""},
        {"KEY\n", "", std::string(kKeyWithoutValue) + "KEY"},
        {" #x y\n", "", std::string(kValueWithoutKey) + "#x y"},
        {" v\r\n", "", std::string(kValueWithoutKey) + "v"},
        {"KEY\r x\n", "", std::string(kKeyWithoutValue) + "KEY"},
        {"A 1\nA 2\n", "A 1\n", std::string(kDefinedTwice) + "A"},
        {"\xEF\xBB\xBF" "A 1\n", "A 1\n", ""},
        {"A 1\nBAD\nB 2\n value\nC 3\n", "A 1\nB 2\nC 3\n", std::string(kKeyWithoutValue) + "BAD"},
    };
    for (const Case& c : cases) {
        Parsed recorded = parse(c.text, false);
        EXPECT_EQ(c.recorded, recorded.entries) << c.text;
        EXPECT_EQ(c.error, recorded.error) << c.text;
        Parsed thrown = parse(c.text, true);
        EXPECT_EQ(c.error.empty() ? c.recorded : "(thrown)", thrown.entries) << c.text;
        EXPECT_EQ(c.error, thrown.error) << c.text;
    }
}

// Whatever spelling a reader could take for the key's value is seen.
TEST(ConfigLenientTest, SeesEveryValueAnyReaderCouldTake) {
    struct Case { std::string text; std::vector<std::string> values; };
    const Case cases[] = {
        {"\xEF\xBB\xBF" "SYSTEM_DLL C:\\a\r\nX 1\r\n", {"C:\\a"}},
        {"X 1\rSYSTEM_DLL C:\\a\rY 2\r", {"C:\\a"}},
        {"  system_dll\t \"C:\\a b\"  \n", {"C:\\a b"}},
        {"SYSTEM_DLL x\nSYSTEM_DLL y", {"x", "y"}},
        {"SYSTEM_DLLS x\n#SYSTEM_DLL y\nSYSTEM_DLL\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.values, util::readValuesLeniently(c.text, "SYSTEM_DLL")) << c.text;
}

// A rewrite would lose what the store does not read: the bytes behind a CR
// that ends no CR LF, wherever it stands.
TEST(ConfigRewriteTest, BytesBehindAnyLoneCarriageReturnAreSeen) {
    const struct { const char* text; bool held; } cases[] = {
        {"A 1\r\nB 2\r\n", false}, {"A 1\r\nB 2\rC 3\r\n", true}, {"A 1\rB 2", true}, {"A 1\r", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.held, util::holdsBytesBehindACarriageReturn(c.text)) << c.text;
}

}  // namespace
