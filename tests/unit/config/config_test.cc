#include "config/config.h"

#include <gtest/gtest.h>

#include "system/io.h"
#include "tools/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using util::Config;

struct Parsed {
    std::string entries;  // the store's written form
    std::string error;    // the first error, or "" for none
};

Parsed parse(const std::string& text, bool throwOnError) {
    ScratchDirectory scratch;
    try {
        Config config(scratch.write("config.txt", text), throwOnError);
        return {config.toString(), config.isErrorRecorded() ? config.getFirstError().getMessage() : ""};
    } catch (const Config::ConfigException& e) {
        return {"(thrown)", e.getMessage()};
    }
}

const char kValueWithoutKey[] = "A value without a key was detected, value: ";
const char kKeyWithoutValue[] = "A key without a value was detected, key: ";
const char kDefinedTwice[] = "A key was defined twice. Key: ";

TEST(ConfigParseTest, ReadsEntriesOrGivesTheExactError) {
    struct Case {
        std::string text;
        std::string recorded;  // entries in recording mode
        std::string error;     // first error in either mode
    };
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

TEST(ConfigTest, UnrecordedErrorSaysSo) {
    ScratchDirectory scratch;
    Config config(scratch.write("config.txt", "A 1\n"), false);
    EXPECT_FALSE(config.isErrorRecorded());
    EXPECT_EQ("No error message set.", config.getFirstError().getMessage());
}

TEST(ConfigTest, MissingFileFailsConstruction) {
    ScratchDirectory scratch;
    EXPECT_THROW(Config(scratch.path("missing.txt"), true), io::IOException);
}

TEST(ConfigTest, SaveWritesKeyOrderWithCrLf) {
    struct Case {
        std::string text, key, value, saved;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"# c\nTRACE_ENABLED 1\nB x\n", "TRACE_ENABLED", "0", "B x\r\nTRACE_ENABLED 0\r\n"},
        {"Z 1\nB x\n", "TRACE_ENABLED", "0", "B x\r\nTRACE_ENABLED 0\r\nZ 1\r\n"},
        {"N 1\n", "N", std::string("a\0b", 3), std::string("N a\0b\r\n", 7)},
    };
    for (const Case& c : cases) {
        ScratchDirectory scratch;
        const std::string path = scratch.write("config.txt", c.text);
        Config config(path, true);
        if (!c.key.empty()) {
            util::MutexLock lock(config.getMutex());
            config.setValue(c.key, c.value);
        }
        EXPECT_TRUE(config.save(path));
        EXPECT_EQ(c.saved, readFile(path)) << c.text;
        EXPECT_FALSE(io::fileExists(path + ".saving"));
    }
}

TEST(ConfigTest, SavedStoreReadsBackTheSame) {
    ScratchDirectory scratch;
    Config original(scratch.write("a.txt", "B  spaced \n#c\nA 1\r\nC \n"), true);
    ASSERT_TRUE(original.save(scratch.path("b.txt")));
    EXPECT_EQ(original.toString(), Config(scratch.path("b.txt"), true).toString());
}

TEST(ConfigTest, FailedSaveLeavesNothingBehind) {
    ScratchDirectory scratch;
    Config config(scratch.write("config.txt", "A 1\n"), true);
    const std::string nowhere = scratch.path("missing-dir") + "/config.txt";
    EXPECT_FALSE(config.save(nowhere));
    EXPECT_FALSE(std::filesystem::exists(scratch.path("missing-dir")));
}

#ifdef _WIN32
TEST(ConfigTest, SaveOverAHeldFileKeepsItsBytes) {
    ScratchDirectory scratch;
    const std::string path = scratch.write("config.txt", "A 1\n# old\n");
    Config config(path, true);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(config.save(path));
    CloseHandle(held);
    EXPECT_EQ("A 1\n# old\n", readFile(path));
    EXPECT_FALSE(io::fileExists(path + ".saving"));
}
#endif

}  // namespace
