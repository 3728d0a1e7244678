// Edits of a playlist in memory: the lines they touch, the line form (the
// empty line that closes a still or an animation) of the lines they keep,
// and the refusals that leave it as it was.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "output/playlist_edit.h"
#include "output/readd.h"

namespace {

using namespace pelkora::output;

constexpr const char* kPackage =
        "logo.dob,3000\n\n"
        "anim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\n"
        "notes-01.txt,6000\nnotes-02.txt,6000\n"
        "card.dob,3000\n\n";

TEST(PlaylistEdit, ReadAndWrittenBackByteForByte)
{
    for (const std::string& text : {std::string(kPackage), std::string("\n\nodd line\nx,fast\n\n\n"), std::string()})
        EXPECT_EQ(serializePlaylist(parsePlaylist(text)), text);
}

TEST(PlaylistEdit, EachEditKeepsTheLineFormOfWhatItLeaves)
{
    using Edit = std::function<bool(Playlist&, EditError&)>;
    const struct {
        const char* name;
        Edit edit;
        const char* expected;  // nullptr: refused, the playlist unchanged
    } rows[] = {
            {"a still goes with its empty line",
             [](Playlist& p, EditError& e) { return removeEntries(p, {"logo.dob"}, false, e); },
             "anim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,3000\n\n"},
            {"a last frame leaves its empty line to the frame before",
             [](Playlist& p, EditError& e) { return removeEntries(p, {"anim-03.dob"}, false, e); },
             "logo.dob,3000\n\nanim-01.dob,100\nanim-02.dob,100\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,3000\n\n"},
            {"a text page before a still never takes the still's empty line",
             [](Playlist& p, EditError& e) { return removeEntries(p, {"card.dob"}, false, e); },
             "logo.dob,3000\n\nanim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\n"},
            {"all of a base: every frame",
             [](Playlist& p, EditError& e) { return removeEntries(p, {"anim"}, true, e); },
             "logo.dob,3000\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,3000\n\n"},
            {"an unknown name refuses the whole removal",
             [](Playlist& p, EditError& e) { return removeEntries(p, {"logo.dob", "nothing.dob"}, false, e); },
             nullptr},
            {"a move takes the entry's own line form along",
             [](Playlist& p, EditError& e) { return moveEntry(p, "card.dob", 1, e); },
             "card.dob,3000\n\nlogo.dob,3000\n\nanim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\n"},
            {"a position past the end is refused",
             [](Playlist& p, EditError& e) { return moveEntry(p, "card.dob", 9, e); }, nullptr},
            {"a time of ten digits is refused",
             [](Playlist& p, EditError& e) { return setTime(p, "logo.dob", "1234567890", e); }, nullptr},
            {"a still's time keeps its empty line",
             [](Playlist& p, EditError& e) { return setTime(p, "logo.dob", "2500", e); },
             "logo.dob,2500\n\nanim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,3000\n\n"},
            {"frames but not the last one",
             [](Playlist& p, EditError&) { return setTimeOfKind(p, EntryKind::Frame, "40") == 2; },
             "logo.dob,3000\n\nanim-01.dob,40\nanim-02.dob,40\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,3000\n\n"},
            {"stills: a lone DOB line is one",
             [](Playlist& p, EditError&) { return setTimeOfKind(p, EntryKind::Still, "9") == 2; },
             "logo.dob,9\n\nanim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\ncard.dob,9\n\n"},
            {"a shorter text added again takes the place of the earlier pages",
             [](Playlist& p, EditError&) {
                 const std::size_t before = p.entries.size();
                 p.entries.push_back({"notes-01.txt", "6000", true, 0});
                 replaceEarlierEntries(p, before);
                 return true;
             },
             "logo.dob,3000\n\nanim-01.dob,100\nanim-02.dob,100\nanim-03.dob,1500\n\nnotes-01.txt,6000\ncard.dob,3000\n\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Playlist playlist = parsePlaylist(kPackage);
        EditError error;
        const bool done = row.edit(playlist, error);
        EXPECT_EQ(done, row.expected != nullptr) << error.message;
        EXPECT_EQ(serializePlaylist(playlist), row.expected ? row.expected : kPackage);
    }
}

TEST(PlaylistEdit, StaleLinesAreThoseBeyondTheLastSetOfTheirFile)
{
    const struct {
        const char* playlist;
        std::vector<std::size_t> stale;
    } rows[] = {
            {"n-01.txt,6000\nn-02.txt,6000\nn-03.txt,6000\nn-01.txt,6000\nn-02.txt,6000\n", {2}},
            {"n-01.txt,6000\nn-02.txt,6000\nn-01.txt,6000\nn-02.txt,6000\nn-03.txt,6000\n", {}},
            {"a-01.dob,1\na-02.dob,1\na-03.dob,1\n\nn-01.txt,6000\na-01.dob,1\na-02.dob,1\n\n", {2}},
            {"logo.dob,3000\n\nlogo.dob,3000\n\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.playlist);
        EXPECT_EQ(staleEntries(parsePlaylist(row.playlist)), row.stale);
    }
}

}  // namespace
