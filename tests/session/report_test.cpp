#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/conversion.h"

namespace {

using namespace pelkora;
using session::ConversionReport;
using session::ReportEntry;

std::vector<std::string> texts(const std::vector<ReportEntry>& entries)
{
    std::vector<std::string> result;
    for (const ReportEntry& entry : entries)
        result.push_back(entry.text());
    return result;
}

TEST(ConversionReport, KeepsFailuresApartFromWarningsByTheirSeverity)
{
    const struct {
        const char* what;
        std::string input;
        Outcome outcome;
        std::vector<std::string> failures;
        std::vector<std::string> warnings;
    } cases[] = {
            {"a failure names its input",
             "in/a.gif",
             Status::BrokenPicture,
             {"in/a.gif: a damaged picture that does not decode"},
             {}},
            {"a failure without a name still has its place", "", Status::CantFindFile, {": Cant find file!"}, {}},
            {"a warning names its input",
             "b.png",
             Outcome(Status::DecoderSaid, "gamma"),
             {},
             {"b.png: decoder: gamma"}},
            {"a warning that names what it is about stands alone",
             "",
             Outcome(Status::HeaderWraps, "400x300 is stored as 144x44").prefix("big.dob"),
             {},
             {"big.dob: its header holds width and height modulo 256: 400x300 is stored as 144x44"}},
            {"a note is no failure",
             "adv",
             Outcome(Status::NamedTwice, "lines 1 2"),
             {},
             {"adv: named by more than one line (lines 1 2)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ConversionReport report;
        // The same warning twice is kept once; a failure twice is two.
        report.record(c.input, c.outcome);
        report.record(c.input, c.outcome);
        std::vector<std::string> failures = c.failures;
        failures.insert(failures.end(), c.failures.begin(), c.failures.end());
        EXPECT_EQ(texts(report.failures()), failures);
        EXPECT_EQ(texts(report.warnings()), c.warnings);
    }
}

}  // namespace
