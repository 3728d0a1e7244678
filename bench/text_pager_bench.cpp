// Paging throughput: a 10 MB UTF-8 text paged and written; the same files
// written plainly, the floor for the file system (the pager's goal is to
// stay within 1.5x of it); and the text paged in memory only, which shows
// how much of the time the files take. Run it with TMPDIR set to a folder
// on disk and to one on tmpfs (/dev/shm) to see both.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "output/input_file.h"
#include "output/output_folder.h"
#include "output/text_decoding.h"
#include "output/text_pager.h"
#include "output/text_pagination.h"
#include "support/temp_dir.h"

namespace {

using namespace pelkora::output;

constexpr std::size_t kTextSize = 10 * 1000 * 1000;

// Lines of Chinese with some Latin words, digits, tabs and CR LF ends, the
// kind of notice text the device shows; the same bytes on every run.
std::string noticeText()
{
    const std::string pieces[] = {
            "\xE4\xBB\x8A\xE6\x97\xA5\xE7\x89\xB9\xE4\xBB\xB7",  // four CJK characters
            "Sale ",
            "\xEF\xBC\x8C",
            "2024 ",
            "\t",
            "\xE6\xAC\xA2\xE8\xBF\x8E\xE5\x85\x89\xE4\xB8\xB4",
            "open 9-21h ",
            "\xE3\x80\x82",
            "\r\n",
    };
    std::string text = "\xEF\xBB\xBF";
    text.reserve(kTextSize + 64);
    for (unsigned i = 0; text.size() < kTextSize; ++i)
        text += pieces[(i * 5 + i / 7) % std::size(pieces)];
    text.resize(kTextSize);  // may cut the last character: it becomes U+FFFD
    return text;
}

void BM_PageTextFile(benchmark::State& state)
{
    const pelkora::testing::TempDir work;
    const auto source = work.write("notice.txt", noticeText());
    const auto output = outputFolderPath(work.path());
    prepareOutputFolder(output);
    int pages = 0;
    for (auto _ : state) {
        const InputFile input = readInput(source, kTextSize);
        const PagerResult result = pageText(input.bytes.text(), source, work.path());
        if (result.outcome.status != pelkora::Status::Ok)
            state.SkipWithError("paging failed");
        pages = result.pagesWritten;
        state.PauseTiming();
        deleteFolderContents(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextSize));
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PageTextFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for the files alone: the same number of files of the same
// sizes, created in the same folder, and the same playlist lines appended
// through one buffered stream, with nothing written aside or renamed.
void BM_BaselineSameFiles(benchmark::State& state)
{
    const pelkora::testing::TempDir work;
    const auto source = work.write("notice.txt", noticeText());
    const auto output = outputFolderPath(work.path());
    prepareOutputFolder(output);
    if (pageText(noticeText(), source, work.path()).outcome.status != pelkora::Status::Ok) {
        state.SkipWithError("paging failed");
        return;
    }
    // The pages as the pager wrote them, in playlist order.
    struct Page {
        std::string path;
        std::string bytes;
        std::string line;
    };
    std::vector<Page> pages;
    std::istringstream playlist(pelkora::testing::TempDir::read(playlistPath(output)));
    for (std::string line; std::getline(playlist, line);) {
        const std::string name = line.substr(0, line.find(','));
        const std::string path = (output / name).string();
        pages.push_back({path, pelkora::testing::TempDir::read(path), line + "\n"});
    }
    deleteFolderContents(output);
    for (auto _ : state) {
        std::FILE* index = std::fopen(playlistPath(output).c_str(), "ab");
        for (const Page& page : pages) {
            std::FILE* file = std::fopen(page.path.c_str(), "wb");
            if (file == nullptr || std::fwrite(page.bytes.data(), 1, page.bytes.size(), file) != page.bytes.size())
                state.SkipWithError("cannot write a page");
            if (file != nullptr)
                std::fclose(file);
            std::fputs(page.line.c_str(), index);
        }
        std::fclose(index);
        state.PauseTiming();
        deleteFolderContents(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextSize));
    state.counters["pages"] = static_cast<double>(pages.size());
}
BENCHMARK(BM_BaselineSameFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// Normalising, decoding, paging and encoding each page to UTF-8, as the
// pager does, with the files left out.
void BM_PageTextInMemory(benchmark::State& state)
{
    const std::string text = noticeText();
    for (auto _ : state) {
        std::size_t pageBytes = 0;
        std::string page;
        Paginator paginator([&](std::u16string_view units, PageRange) {
            page.clear();
            appendUtf8(units, page);
            pageBytes += page.size();
        });
        TextNormaliser normaliser;
        TextDecoder decoder("UTF-8");
        std::string bytes;
        std::u16string units;
        constexpr std::size_t kPiece = 64 * 1024;
        for (std::size_t at = 3; at < text.size(); at += kPiece) {
            normaliser.feed(std::string_view(text).substr(at, kPiece), bytes);
            bytes.erase(0, decoder.decode(bytes, units, false));
            paginator.feed(units);
            units.clear();
        }
        normaliser.finish(bytes);
        decoder.decode(bytes, units, true);
        paginator.feed(units);
        paginator.finish();
        benchmark::DoNotOptimize(pageBytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextSize));
}
BENCHMARK(BM_PageTextInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
