#include "exceptions/exception.h"

#include <gtest/gtest.h>

#include <new>

#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "config/config.h"
#include "system/io.h"

namespace {

template <typename E>
void raise() { throw E("message"); }

template <typename Clause>
bool caughtBy(void (*raiser)()) {
    try {
        try {
            raiser();
        } catch (const Clause&) {
            return true;
        }
    } catch (...) {
    }
    return false;
}

TEST(ExceptionTest, EachClauseCatchesExactlyItsSubtree) {
    struct Case {
        const char* name;
        void (*raiser)();
        bool exception, runtime, illegalArgument;
    };
    const Case cases[] = {
        {"Exception", raise<exceptions::Exception>, true, false, false},
        {"RuntimeException", raise<exceptions::RuntimeException>, true, true, false},
        {"IllegalArgumentException", raise<exceptions::IllegalArgumentException>, true, true, true},
        {"CommandLineConverterException", raise<util::parser::CommandLineConverterException>, true, true, true},
        {"ConfigException", raise<util::Config::ConfigException>, true, false, false},
        {"IOException", raise<io::IOException>, true, true, false},
        {"ConfigFileDeletionException", raise<vantrel::uninstall::ConfigFileDeletionException>, true, false, false},
        {"DllDeletionException", raise<vantrel::uninstall::DllDeletionException>, true, false, false},
        {"UserCancelException", raise<vantrel::uninstall::UserCancelException>, true, false, false},
        {"std::bad_alloc", [] { throw std::bad_alloc(); }, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.exception, caughtBy<exceptions::Exception>(c.raiser)) << c.name;
        EXPECT_EQ(c.runtime, caughtBy<exceptions::RuntimeException>(c.raiser)) << c.name;
        EXPECT_EQ(c.illegalArgument, caughtBy<exceptions::IllegalArgumentException>(c.raiser)) << c.name;
    }
}

TEST(ExceptionTest, EmptyMessageGivesEmptyTextNotNull) {
    exceptions::Exception e("");
    EXPECT_EQ("", e.getMessage());
    ASSERT_NE(nullptr, e.getMessageText());
    EXPECT_STREQ("", e.getMessageText());
}

TEST(ExceptionTest, CopyOutlivesOriginal) {
    auto* original = new io::IOException("kept after the original is gone");
    io::IOException copy(*original);
    delete original;
    EXPECT_EQ("kept after the original is gone", copy.getMessage());
    EXPECT_STREQ("kept after the original is gone", copy.getMessageText());
}

}  // namespace
