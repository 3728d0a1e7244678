#include "core/status.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace pelkora {
namespace {

TEST(Outcome, TextPutsDetailCauseAndContextWhereTheStatusSays)
{
    const std::error_code full = std::make_error_code(std::errc::no_space_on_device);
    const std::string fullText = full.message();
    const struct {
        const char* what;
        Outcome outcome;
        std::string expected;
        Severity severity;
    } cases[] = {
            {"bare", Status::CannotWrite, "cannot write", Severity::Error},
            {"with its cause", Outcome(Status::CannotWrite, full), "cannot write: " + fullText, Severity::Error},
            {"detail in parentheses", Outcome(Status::NotAPicture, "bad header"), "not a picture (bad header)",
             Severity::Error},
            {"detail after a colon", Outcome(Status::DecoderSaid, "iCCP: bad profile"), "decoder: iCCP: bad profile",
             Severity::Warning},
            {"detail quoted", Outcome(Status::BadPlaylistLine, "a.dob"),
             "not NAME,MS (MS a number of 1 to 9 digits): \"a.dob\"", Severity::Error},
            {"detail inside the words, then the cause",
             [&] {
                 Outcome pages(Status::PagesNotWritten, full);
                 pages.detail = "3";
                 return pages;
             }(),
             "cannot write 3 of its pages: " + fullText, Severity::Error},
            {"detail alone", Outcome(Status::OutputNameRefused, "its output name \"a\" was taken"),
             "its output name \"a\" was taken", Severity::Error},
            {"a note", Outcome(Status::NamedTwice, "lines 1 3"), "named by more than one line (lines 1 3)",
             Severity::Note},
            {"context, the outermost first", Outcome(Status::CannotWrite, full).prefix("anim-03.dob").prefix("frame 3"),
             "frame 3: anim-03.dob: cannot write: " + fullText, Severity::Error},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(outcomeText(c.outcome), c.expected);
        EXPECT_EQ(c.outcome.severity, c.severity);
        EXPECT_EQ(c.outcome.failed(), c.severity == Severity::Error);
    }
}

}  // namespace
}  // namespace pelkora
