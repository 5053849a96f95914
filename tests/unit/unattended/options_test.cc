#include "unattended/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace unattended {
namespace {

// The arguments as the system hands them over: ended by a null.
Request parse(std::vector<const char*> arguments, Options& options) {
    arguments.insert(arguments.begin(), "uninstall-unattended.exe");
    arguments.push_back(nullptr);
    return parseOptions(static_cast<int>(arguments.size() - 1), const_cast<char**>(arguments.data()), options);
}

// The documented options, in any order, and the switches passed by habit.
TEST(OptionsTest, TheDocumentedOptionsAreRead) {
    Options options;
    // An installer's log switch (/l*v too, which the logging row passes) means --log.
    ASSERT_EQ(Request::Run, parse({"/S", "--timeout", "86400", "--what-if", "/Log", "a.log", "--keep-programs",
                                   "--allow-system-folder", "/NoRestart", "C:\\x\\uninstall.exe"},
                                  options));
    EXPECT_EQ(86400ul * 1000, options.limit());
    EXPECT_EQ("a.log", options.log);
    EXPECT_EQ("C:\\x\\uninstall.exe", options.program);
    EXPECT_EQ("/S /NoRestart", options.habits);
    EXPECT_TRUE(options.whatIf && options.keepPrograms && options.allowSystemFolder);
}

// A forgotten or malformed value refuses the whole line, never swallows the
// next option; a request for help wins wherever it stands.
TEST(OptionsTest, AnythingElseIsRefused) {
    const struct {
        std::vector<const char*> arguments;
        Request request;
    } cases[] = {
        {{"--force"}, Request::Invalid},
        {{"--timeout", "5x"}, Request::Invalid},
        {{"--timeout", "0"}, Request::Invalid},
        {{"--timeout", "86401"}, Request::Invalid},
        {{"--timeout", "-5"}, Request::Invalid},
        {{"--timeout"}, Request::Invalid},
        {{"--log", "--allow-system-folder"}, Request::Invalid},
        {{"--log", ""}, Request::Invalid},
        {{"--log", "a.log", "/log", "b.log"}, Request::Invalid},
        {{"--log", "-x"}, Request::Invalid},
        {{"/l*v", "/q"}, Request::Invalid},
        {{"/passive"}, Request::Invalid},
        {{"/norestart=1"}, Request::Invalid},
        {{"a.exe", "b.exe"}, Request::Invalid},
        {{""}, Request::Invalid},
        {{"--force", "/?"}, Request::Help},
        {{"-h"}, Request::Help},
    };
    for (const auto& c : cases) {
        Options options;
        EXPECT_EQ(c.request, parse(c.arguments, options)) << c.arguments[0] << " (" << c.arguments.size() << ")";
    }
}

}  // namespace
}  // namespace unattended
