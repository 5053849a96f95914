#include "app/driver.h"

#include <gtest/gtest.h>

#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/io.h"

namespace {

using namespace vantrel::uninstall;

// Each way the procedure can end, as the uninstaller and its dry run both
// tell it: the status, and the dialog's kind.
TEST(OutcomeTest, EachEndOfTheProcedureHasItsStatusAndDialog) {
    const struct { const char* why; std::exception_ptr ended; int status; Outcome::Kind kind; } cases[] = {
        {"both deleted", nullptr, 0, Outcome::Success},
        {"declined at the warning", std::make_exception_ptr(UserCancelException("")), 1602, Outcome::Error},
        {"DLL in use, tracing off", std::make_exception_ptr(DllDeletionException("", "")), 3010, Outcome::Information},
        {"DLL in use, tracing on", std::make_exception_ptr(DllDeletionException("", "C:\\cfg")), 1603, Outcome::Information},
        {"configuration not deleted", std::make_exception_ptr(ConfigFileDeletionException("")), 1603, Outcome::Information},
        {"nothing found", std::make_exception_ptr(io::FileNotFoundException("", false)), 1605, Outcome::Error},
        {"found, not opened", std::make_exception_ptr(io::FileNotFoundException("", true)), 1603, Outcome::Error},
        {"not read", std::make_exception_ptr(io::IOException("")), 1603, Outcome::Error},
        {"malformed", std::make_exception_ptr(util::Config::ConfigException("")), 1603, Outcome::Error},
        {"command line", std::make_exception_ptr(util::parser::CommandLineConverterException("")), 1603, Outcome::Error},
        {"a link", std::make_exception_ptr(exceptions::Exception("")), 1603, Outcome::Error},
        {"anything else", std::make_exception_ptr(42), 1603, Outcome::Error},
    };
    for (const auto& c : cases) {
        const Outcome outcome = outcomeOf(c.ended, "uninstall.exe");
        EXPECT_EQ(c.status, outcome.status) << c.why;
        EXPECT_EQ(c.kind, outcome.kind) << c.why;
    }
}

}  // namespace
