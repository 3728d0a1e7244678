// Decoding on several workers must not change a byte of the package or a
// line of the report: one writer takes the pictures in input order.
#include "session/conversion.h"
#include "session/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <map>
#include <mutex>
#include <sstream>

#include "picture/animated_picture.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::session {
namespace {

namespace fs = std::filesystem;
using namespace pelkora::testing;

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<Rgb> patternOf(int width, int height, int seed)
{
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<Rgb>((((x + seed) * 53) & 0xFF) << 16 | ((y * 97) & 0xFF) << 8
                                              | ((x + y + seed) * 31 & 0xFF)));
    return pixels;
}

Bytes animationOf(int frames)
{
    std::vector<GifPictureFrame> list;
    for (int i = 0; i < frames; ++i)
        list.push_back(solidFrame(i % 3, i % 2, 3, 2, static_cast<std::uint8_t>(i % 2), 7 + i, i % 4));
    return makeGif(6, 4, {0x102030, 0xE0D0C0}, list);
}

// A source folder of every kind of input, more of them than workers and
// the inputs they may hold ahead together.
struct MixedInputs {
    MixedInputs()
    {
        for (int i = 0; i < 24; ++i) {
            const int width = 3 + i % 7;
            const int height = 2 + i % 5;
            const auto depth = i % 3 == 0 ? BmpDepth::Rgb32 : BmpDepth::Rgb24;
            // Appended, not chained with +: the optimised build warns of overlaps there.
            std::string name = "p";
            name += std::to_string(10 + i);
            name += ".bmp";
            add(name, asText(makeBmp(width, height, patternOf(width, height, i), depth)));
        }
        add("still.bmp", asText(makeGif(2, 2, {0, 0xFFFFFF}, {solidFrame(0, 0, 2, 1, 1)})));
        add("anim.bmp", asText(animationOf(5)));
        // Claims anim-02.dob before the animation (listed first) would.
        add("anim-02.bmp", asText(makeBmp(2, 2, patternOf(2, 2, 7))));
        add("movie.gif.bmp", asText(animationOf(3)));
        const std::string bmp = asText(makeBmp(4, 4, patternOf(4, 4, 3)));
        add("broken.bmp", bmp.substr(0, bmp.size() - 5));
        add("words.bmp", "not a picture at all\n");
        add("notes.txt", std::string(130, 'n'));
        add("more.txt", "short text\n");
        add("p10.txt", "a text whose pages are named after a picture\n");
    }
    void add(const std::string& name, const std::string& bytes) { paths.push_back(source.write("src/" + name, bytes)); }

    TempDir source;
    std::vector<fs::path> paths;
};

// What a run leaves: every file of the package and every word of the report.
struct RunResult {
    std::map<std::string, std::string> package;
    std::string report;
};

std::string describe(const ConversionReport& report)
{
    std::ostringstream text;
    text << report.inputsConverted() << " converted, " << report.filesWritten() << " written\n";
    for (const ReportEntry& failure : report.failures())
        text << "failed " << failure.input << ": " << failure.reason() << "\n";
    for (const ReportEntry& warning : report.warnings())
        text << "warned " << warning.input << ": " << warning.reason() << "\n";
    return text.str();
}

enum class Command { Batch, Add };

RunResult convert(Command command, const MixedInputs& inputs, int workers)
{
    TempDir work;
    const fs::path workDirectory = makeWorkDirectory(work);
    ConversionReport report;
    {
        picture::AnimatedPicture control(workDirectory);
        control.setRealtime(false);
        ConversionOptions options;
        options.workers = workers;
        Converter converter(control, workDirectory, options, report);
        control.setCaptureListener([&converter](const picture::CaptureEvent& event) { converter.captured(event); });
        if (command == Command::Batch)
            converter.convertFolder(inputs.source / "src");
        else
            converter.addFiles(inputs.paths);
        control.finishPass();
    }
    RunResult result;
    for (const auto& entry : fs::directory_iterator(workDirectory / "adv"))
        result.package[entry.path().filename().string()] = TempDir::read(entry.path());
    result.report = describe(report);
    return result;
}

TEST(ParallelConversion, AnyNumberOfWorkersWritesTheOneThreadPackage)
{
    const MixedInputs inputs;
    const struct {
        const char* name;
        Command command;
        std::vector<std::string> mustHold;  // what shows the run took every path it should
    } cases[] = {
            {"batch",
             Command::Batch,
             {"p10.dob", "anim-02.dob", "movie.gif-03.dob", "notes-03.txt", "p10-01.txt", "advertising.index"}},
            {"add", Command::Add, {"p33.dob", "anim-05.dob", "still.dob", "more-01.txt", "advertising.index"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult sequential = convert(c.command, inputs, 1);
        for (const std::string& name : c.mustHold)
            EXPECT_EQ(sequential.package.count(name), 1u) << name;
        // The refusals and failures are part of what must not move.
        EXPECT_NE(sequential.report.find("broken.bmp"), std::string::npos) << sequential.report;
        EXPECT_NE(sequential.report.find("anim-02.dob"), std::string::npos) << sequential.report;
        for (int workers : {2, 8}) {
            const RunResult parallel = convert(c.command, inputs, workers);
            EXPECT_EQ(parallel.package, sequential.package) << workers << " workers";
            EXPECT_EQ(parallel.report, sequential.report) << workers << " workers";
        }
    }
}

// The workers stay within a few inputs of the taker, and the taker gets
// each result whole and in order, however the jobs' times fall.
TEST(OrderedWorkTest, ResultsInOrderWithinTheWindow)
{
    const struct {
        int workers;
        std::size_t inputs;
    } cases[] = {{1, 5}, {2, 40}, {3, 7}, {8, 3}, {8, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.workers) + " workers, " + std::to_string(c.inputs) + " inputs");
        std::atomic<std::size_t> taken{0};
        std::atomic<std::size_t> furthestAhead{0};
        std::mutex started;
        std::vector<std::size_t> startedOn;
        OrderedWork<std::string> work(
                c.inputs,
                [&](std::size_t i) {
                    const std::size_t ahead = i - std::min(i, taken.load());
                    std::size_t seen = furthestAhead.load();
                    while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead)) {
                    }
                    {
                        std::lock_guard lock(started);
                        startedOn.push_back(i);
                    }
                    // Later inputs finish first now and then.
                    if (i % 3 == 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(300));
                    return std::string(i + 1, static_cast<char>('a' + i % 26));
                },
                c.workers);
        for (std::size_t i = 0; i < c.inputs; ++i) {
            EXPECT_EQ(work.take(i), std::string(i + 1, static_cast<char>('a' + i % 26)));
            taken = i + 1;
        }
        EXPECT_EQ(startedOn.size(), c.inputs);
        EXPECT_LE(furthestAhead.load(), static_cast<std::size_t>(c.workers) + 2);
    }
}

// Results done but not taken are held to their budget: beyond it only the
// input the taker waits for is started (and the ones already under way).
TEST(OrderedWorkTest, HeldResultsStayWithinTheirWeight)
{
    constexpr int kWorkers = 2;
    const struct {
        const char* name;
        std::uint64_t budget;
        std::size_t mostStartedUntaken;
        bool reachesIt;  // the workers run ahead to the bound, not short of it
    } cases[] = {
            {"no budget: the whole window", std::numeric_limits<std::uint64_t>::max(), kWorkers + 2, true},
            {"one result's worth", 10, kWorkers, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<std::size_t> started{0};
        OrderedWork<std::string> work(
                20,
                [&](std::size_t) {
                    ++started;
                    return std::string(10, 'x');
                },
                kWorkers, [](const std::string& result) { return static_cast<std::uint64_t>(result.size()); },
                c.budget);
        // Nothing is taken for a while: the workers go as far as they may.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(c.reachesIt ? 2000 : 200);
        while (started < c.mostStartedUntaken && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_LE(started, c.mostStartedUntaken);
        if (c.reachesIt) {
            EXPECT_EQ(started, c.mostStartedUntaken);
        }
        for (std::size_t i = 0; i < 20; ++i)
            EXPECT_EQ(work.take(i).size(), 10u);
        EXPECT_EQ(started, 20u);
    }
}

TEST(OrderedWorkTest, DroppingItEarlyWaitsForTheJobsAndRunsNoMore)
{
    std::atomic<int> ran{0};
    {
        OrderedWork<int> work(
                100,
                [&](std::size_t i) {
                    ++ran;
                    return static_cast<int>(i);
                },
                4);
        EXPECT_EQ(work.take(0), 0);
    }
    // The one taken and at most the window beyond it; not the hundred.
    EXPECT_GE(ran, 1);
    EXPECT_LE(ran, 1 + 4 + 2);
}

}  // namespace
}  // namespace pelkora::session
