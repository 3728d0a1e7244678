// The built program under faults and mistakes: killed at any moment, out of
// disk space, pointed at the wrong folder, or racing another run. Whatever
// happens, the package holds only complete files and true lines, and
// nothing outside it is touched.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include "support/program_run.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace {

namespace fs = std::filesystem;
using pelkora::testing::TempDir;
using Files = std::map<std::string, std::string>;

constexpr const char* kTemporaryPrefix = ".pelkora-tmp-";

// The program started in workDirectory with its output in files of logs.
pid_t startPelkora(const fs::path& workDirectory, const std::vector<std::string>& args, const fs::path& logs,
                   bool asNobody = false, const fs::path& program = PELKORA_BINARY)
{
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    if (::chdir(workDirectory.c_str()) != 0)
        ::_exit(126);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open((logs / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open((logs / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
        ::_exit(126);
    // What the test's runner ignores (a background job ignores SIGINT) the
    // program would keep ignoring.
    for (const int request : {SIGINT, SIGTERM, SIGHUP})
        ::signal(request, SIG_DFL);
    if (asNobody && ::geteuid() == 0
        && (::setgid(pelkora::testing::kNobody) != 0 || ::setuid(pelkora::testing::kNobody) != 0))
        ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// The exit status, or -signal for a program that was killed.
int waitFor(pid_t child)
{
    int raw = 0;
    if (::waitpid(child, &raw, 0) != child)
        return -1000;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
}

using pelkora::testing::ProgramRun;

// As "nobody", the logs and (where the checkout is out of that user's
// reach) a copy of the program lie in a folder that user can reach.
ProgramRun runPelkora(const fs::path& workDirectory, const std::vector<std::string>& args, bool asNobody = false)
{
    const TempDir logs(asNobody ? pelkora::testing::temporaryBaseForNobody().value() : fs::temp_directory_path());
    fs::path program = PELKORA_BINARY;
    if (asNobody && !pelkora::testing::reachableByNobody(program)) {
        fs::copy_file(program, logs / "pelkora");
        program = logs / "pelkora";
    }
    if (asNobody)
        pelkora::testing::handTreeToNobody(logs.path());
    ProgramRun run;
    run.status = waitFor(startPelkora(workDirectory, args, logs.path(), asNobody, program));
    run.out = TempDir::read(logs / "out");
    run.err = TempDir::read(logs / "err");
    return run;
}

// Every file below folder, by its path relative to folder, with its bytes.
Files snapshot(const fs::path& folder, const fs::path& skip = {})
{
    Files files;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string name = it->path().lexically_relative(folder).string();
        files[name] = it->is_regular_file() ? TempDir::read(it->path()) : std::string("<folder>");
    }
    return files;
}

void writeBmp(const fs::path& path, int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37 + seed) & 255, (y * 11 + seed) & 255, seed & 255));
    ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(path.string()), "BMP"));
}

// A few hundred small inputs: pictures of many sizes and texts of one to
// several pages, with characters of two and three bytes.
void writeInputs(const TempDir& sources, int pictures, int texts, int size)
{
    for (int i = 0; i < pictures; ++i)
        writeBmp(sources / std::string("p").append(std::to_string(i)).append(".bmp"), size + i % 17, size / 2 + i % 13,
                 i);
    std::string words;
    for (int i = 0; i < texts; ++i) {
        words += "wörd€ ";
        words += std::to_string(i);
        words += ' ';
        sources.write(std::string("t").append(std::to_string(i)).append(".txt"), words.substr(0, 20 + (i * 7) % 300));
    }
}

bool validUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// A file under a package name is complete: a DOB as long as its header says
// (every picture here is under 256 pixels each way), a page valid UTF-8.
void expectComplete(const std::string& name, const std::string& bytes)
{
    SCOPED_TRACE(name);
    ASSERT_FALSE(bytes.empty());
    if (name.size() > 4 && name.substr(name.size() - 4) == ".dob") {
        ASSERT_GE(bytes.size(), 2u);
        const std::size_t pixels =
                static_cast<std::size_t>(static_cast<unsigned char>(bytes[0])) * static_cast<unsigned char>(bytes[1]);
        EXPECT_EQ(bytes.size(), 2 + (pixels + 1) / 2);
    } else {
        EXPECT_TRUE(validUtf8(bytes));
    }
}

std::vector<std::string> playlistNames(const std::string& playlist)
{
    std::vector<std::string> names;
    std::istringstream lines(playlist);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            names.push_back(line.substr(0, line.find(',')));
    return names;
}

// What a killed run may leave: files of the package byte for byte as a
// whole run writes them (or temporary files), and a playlist that is a
// whole-line beginning of the whole run's playlist, naming files that are
// there.
void expectSoundPackage(const Files& package, const Files& reference)
{
    for (const auto& [name, bytes] : package) {
        if (name.rfind(kTemporaryPrefix, 0) == 0 || name == "advertising.index")
            continue;
        SCOPED_TRACE(name);
        const auto expected = reference.find(name);
        ASSERT_NE(expected, reference.end());
        EXPECT_TRUE(bytes == expected->second) << bytes.size() << " bytes, " << expected->second.size() << " expected";
    }
    const auto playlist = package.find("advertising.index");
    if (playlist == package.end())
        return;
    const std::string& whole = reference.at("advertising.index");
    EXPECT_EQ(whole.compare(0, playlist->second.size(), playlist->second), 0) << playlist->second;
    EXPECT_TRUE(!playlist->second.empty() && playlist->second.back() == '\n');
    for (const std::string& name : playlistNames(playlist->second))
        EXPECT_EQ(package.count(name), 1u) << name;
}

TEST(Faults, AKillAtAnyMomentLeavesOnlyCompleteFilesAndTrueLines)
{
    TempDir sources;
    writeInputs(sources, 160, 100, 6);
    TempDir referenceWork;
    const auto started = std::chrono::steady_clock::now();
    const ProgramRun whole = runPelkora(referenceWork.path(), {"--quiet", "--batch", sources.path().string()});
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(whole.status, 0) << whole.err;
    const Files reference = snapshot(referenceWork / "adv");
    ASSERT_GT(reference.size(), 260u);
    for (const auto& [name, bytes] : reference)
        expectComplete(name, bytes);

    TempDir work;
    work.write("keep.txt", "beside the package");
    const Files sourcesBefore = snapshot(sources.path());
    const Files workBefore = snapshot(work.path(), work / "adv");
    const TempDir logs;
    constexpr int kMoments = 20;
    for (int moment = 1; moment <= kMoments; ++moment) {
        SCOPED_TRACE("killed at moment " + std::to_string(moment));
        const pid_t child = startPelkora(work.path(), {"--quiet", "--batch", sources.path().string()}, logs.path());
        std::this_thread::sleep_for(took * moment / (kMoments + 1));
        ::kill(child, SIGKILL);
        waitFor(child);
        if (fs::exists(work / "adv"))
            expectSoundPackage(snapshot(work / "adv"), reference);
        EXPECT_TRUE(snapshot(sources.path()) == sourcesBefore);
        Files outside = snapshot(work.path(), work / "adv");
        // What a run empties goes to adv.previous, beside the package.
        std::erase_if(outside, [](const auto& entry) { return entry.first.rfind("adv.previous", 0) == 0; });
        EXPECT_TRUE(outside == workBefore);
    }
    // The next whole run removes what the killed ones left.
    const ProgramRun after = runPelkora(work.path(), {"--quiet", "--batch", sources.path().string()});
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_TRUE(snapshot(work / "adv") == reference);
}

// No writer's temporary file anywhere below folder.
void expectNoTemporaryFile(const fs::path& folder)
{
    for (const auto& [name, bytes] : snapshot(folder))
        EXPECT_EQ(fs::path(name).filename().string().rfind(kTemporaryPrefix, 0), std::string::npos) << name;
}

// A DOB of width x height, every pixel at one level.
std::string dobBytes(int width, int height, int level)
{
    std::string bytes{static_cast<char>(width), static_cast<char>(height)};
    bytes.append((width * height + 1) / 2, static_cast<char>(level * 17));
    return bytes;
}

// Asked to stop mid-run, a writing command finishes the file it writes (with
// its line), leaves no temporary file and ends as the request ends a program.
TEST(Faults, AStopRequestEndsARunBetweenTwoFiles)
{
    TempDir sources;
    writeInputs(sources, 60, 120, 60);
    TempDir referenceWork;
    const ProgramRun whole = runPelkora(referenceWork.path(), {"--quiet", "--batch", sources.path().string()});
    ASSERT_EQ(whole.status, 0) << whole.err;
    const Files reference = snapshot(referenceWork / "adv");
    for (int i = 0; i < 200; ++i)
        referenceWork.write("dobs/d" + std::to_string(i) + ".dob", dobBytes(250, 250, i % 16));
    std::vector<std::string> render{"--quiet", "--render", "--to", "pngs"};
    for (int i = 0; i < 200; ++i)
        render.push_back("dobs/d" + std::to_string(i) + ".dob");

    // Each is stopped once its first file is in place (the preview, of one
    // file, a moment after its start), well before its end.
    const struct {
        const char* what;
        int request;
        std::vector<std::string> args;
        const char* written;    // the folder it writes, below the work folder
        const char* firstFile;  // below the work folder; empty: stopped at once
    } cases[] = {
            {"a batch stopped by SIGINT", SIGINT, {"--quiet", "--batch", sources.path().string()}, "adv", "adv/p0.dob"},
            {"a batch stopped by SIGTERM", SIGTERM, {"--quiet", "--batch", sources.path().string()}, "adv",
             "adv/p1.dob"},
            {"a batch stopped by SIGHUP", SIGHUP, {"--quiet", "--batch", sources.path().string()}, "adv",
             "adv/t0-01.txt"},
            {"a render stopped by SIGTERM", SIGTERM, render, "pngs", "pngs/d0.png"},
            {"a preview stopped by SIGINT", SIGINT, {"--quiet", "--preview", "--to", "sheet/p.png"}, "sheet", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir work;
        fs::copy(referenceWork.path(), work.path(), fs::copy_options::recursive);
        fs::create_directory(work / "sheet");
        if (std::string(c.written) == "adv")
            fs::remove_all(work / "adv");
        const TempDir logs;
        const pid_t child = startPelkora(work.path(), c.args, logs.path());
        const auto started = std::chrono::steady_clock::now();
        while (*c.firstFile != '\0' && !fs::exists(work / c.firstFile)
               && std::chrono::steady_clock::now() - started < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(child, c.request);
        EXPECT_EQ(waitFor(child), -c.request) << TempDir::read(logs / "err");
        // Stopped mid-run, not killed: it said so.
        if (*c.firstFile != '\0')
            EXPECT_NE(TempDir::read(logs / "err").find("pelkora: stopped by "), std::string::npos);
        expectNoTemporaryFile(work / c.written);
        if (fs::exists(work / "adv/advertising.index")) {
            expectSoundPackage(snapshot(work / "adv"), reference);
            const ProgramRun check = runPelkora(work.path(), {"--check"});
            EXPECT_EQ(check.status, 0) << check.out;
        }
        for (const auto& [name, bytes] : snapshot(work / c.written))
            EXPECT_FALSE(bytes.empty()) << name;
    }
}

// A real full disk: a small file system of its own, where the machine lets
// the test mount one.
class TmpfsWork : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a small tmpfs needs root";
        mountPoint_ = base_ / "work";
        fs::create_directory(mountPoint_);
        if (::mount("tmpfs", mountPoint_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=160k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted_ = true;
    }
    void TearDown() override
    {
        if (mounted_)
            ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    TempDir base_;
    fs::path mountPoint_;
    bool mounted_ = false;
};

TEST_F(TmpfsWork, AFullDiskIsNamedAndEveryLineStillNamesACompleteFile)
{
    TempDir sources;
    writeInputs(sources, 40, 30, 150);
    const ProgramRun run = runPelkora(mountPoint_, {"--batch", sources.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(": cannot write: No space left on device"), std::string::npos) << run.err;

    const Files package = snapshot(mountPoint_ / "adv");
    int inPlace = 0;
    for (const auto& [name, bytes] : package) {
        EXPECT_NE(name.rfind(kTemporaryPrefix, 0), 0u) << "left behind: " << name;
        if (name == "advertising.index")
            continue;
        expectComplete(name, bytes);
        ++inPlace;
    }
    ASSERT_GT(inPlace, 0);
    if (package.count("advertising.index") != 0) {
        const std::string& playlist = package.at("advertising.index");
        EXPECT_EQ(playlist.back(), '\n');
        for (const std::string& name : playlistNames(playlist))
            EXPECT_EQ(package.count(name), 1u) << name;
    }
    // The summary counts the files that are really there.
    EXPECT_NE(run.out.find(", " + std::to_string(inPlace) + " file"), std::string::npos) << run.out;
}

struct RefusedSource {
    const char* name;
    const char* source;  // below the work folder
    const char* reason;
};

// Nothing is emptied for a source that cannot be converted.
TEST(FolderState, ABadSourceIsRefusedBeforeAnythingIsEmptied)
{
    const std::vector<RefusedSource> cases = {
            {"a typo", "pictrues", "pictrues: no such folder"},
            {"a file in its place", "notes.txt", "notes.txt: is not a folder"},
            {"the output folder", "adv", "adv: is the output folder or lies inside it"},
            {"inside the output folder", "adv/mine", "adv/mine: is the output folder or lies inside it"},
            {"the output folder spelled otherwise", "./adv/mine/..", "is the output folder or lies inside it"},
    };
    for (const RefusedSource& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        work.write("adv/mine/photo.bmp", "the user's own");
        work.write("adv/old.dob", "x");
        work.write("notes.txt", "x");
        const Files before = snapshot(work.path());
        const ProgramRun run = runPelkora(work.path(), {"--batch", c.source});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_TRUE(snapshot(work.path()) == before);
    }
}

struct AddCase {
    const char* name;
    const char* input;
    const char* reason;
};

TEST(FolderState, AnInputThatIsNoFileSaysWhatItIs)
{
    const std::vector<AddCase> cases = {
            {"a folder", "pics", "pics: is a folder, not a file"},
            {"a missing file", "gone.txt", "gone.txt: Cant find file!"},
            {"a pipe", "pipe.txt", "pipe.txt: is not a regular file"},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        fs::create_directory(work / "pics");
        ASSERT_EQ(::mkfifo((work / "pipe.txt").c_str(), 0600), 0);
        const ProgramRun run = runPelkora(work.path(), {"--add", c.input});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        if (std::string(c.name) != "a missing file") {
            EXPECT_EQ(run.err.find("Cant find file!"), std::string::npos) << run.err;
        }
        EXPECT_NE(run.out.find("0 inputs converted, 0 files written"), std::string::npos) << run.out;
    }
}

TEST(FolderState, DeleteAllCountsWhatWentAndNamesWhatStays)
{
    const auto base = pelkora::testing::temporaryBaseForNobody();
    if (!base)
        GTEST_SKIP() << pelkora::testing::kNoFolderForNobody;
    TempDir work(*base);
    work.write("adv/advertising.index", "a.dob,3000\n\n");
    work.write("adv/a.dob", "x");
    work.write("adv/sub/b.dob", "x");
    const ProgramRun run = runPelkora(work.path(), {"--delete-all"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("pelkora: 3 files deleted"), std::string::npos) << run.out;

    work.write("adv/a.dob", "x");
    work.write("adv/stuck/b.dob", "x");
    work.write("adv/stuck/c.dob", "x");
    pelkora::testing::handTreeToNobody(work.path());
    fs::permissions(work / "adv/stuck", static_cast<fs::perms>(0555));
    const ProgramRun stuck = runPelkora(work.path(), {"--no-previous", "--delete-all"}, true);
    fs::permissions(work / "adv/stuck", fs::perms::owner_all);
    EXPECT_EQ(stuck.status, 1);
    for (const char* file : {"adv/stuck/b.dob", "adv/stuck/c.dob"})
        EXPECT_NE(stuck.err.find(std::string(file) + ": cannot delete: Permission denied"), std::string::npos)
                << stuck.err;
    EXPECT_NE(stuck.out.find("pelkora: 1 file deleted"), std::string::npos) << stuck.out;
    EXPECT_FALSE(fs::exists(work / "adv/a.dob"));
}

// The second run waits for the first and says so once; the first run's
// lines stay one group.
TEST(FolderState, TwoRunsWritingOnePackageNeverInterleave)
{
    TempDir work;
    std::string big;
    for (int i = 0; big.size() < 200000; ++i)
        big += "line " + std::to_string(i) + " ";
    const fs::path bigText = work.write("in/big.txt", big);
    const fs::path smallText = work.write("in/small.txt", std::string(200, 's'));
    fs::create_directory(work / "adv");
    const TempDir firstLogs;
    const pid_t first = startPelkora(work.path(), {"--quiet", "--add", bigText.string()}, firstLogs.path());
    while (!fs::exists(work / "adv/big-01.txt"))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const ProgramRun second = runPelkora(work.path(), {"--quiet", "--add", smallText.string()});
    ASSERT_EQ(waitFor(first), 0);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, "pelkora: waiting for another pelkora writing adv/\n");

    const std::vector<std::string> names = playlistNames(TempDir::read(work / "adv/advertising.index"));
    ASSERT_GT(names.size(), 4u);
    std::size_t firstSmall = names.size();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].rfind("small-", 0) == 0 && firstSmall == names.size())
            firstSmall = i;
    ASSERT_LT(firstSmall, names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i].rfind(i < firstSmall ? "big-" : "small-", 0), 0u) << i << ": " << names[i];
}

}  // namespace
