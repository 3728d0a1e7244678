#include "output/readd.h"

#include <algorithm>
#include <map>
#include <set>

namespace pelkora::output {

namespace {

// The numbered entries of one family, as sets that start at 01 and go on
// 02, 03, ... line after line.
struct NumberedSet {
    std::size_t first = 0;
    int length = 0;
};

std::map<std::string, std::vector<NumberedSet>> numberedSets(const Playlist& playlist)
{
    std::map<std::string, std::vector<NumberedSet>> sets;
    std::string open;  // the family of the set the previous entry continued
    int next = 0;
    for (std::size_t i = 0; i < playlist.entries.size(); ++i) {
        std::string base;
        int number = 0;
        const PlaylistEntry& entry = playlist.entries[i];
        if (!entry.hasComma || !splitNumberedName(entry.name, base, number)) {
            open.clear();
            continue;
        }
        const std::string family = entryFamily(entry);
        if (family == open && number == next) {
            ++sets[family].back().length;
            ++next;
        } else if (number == 1) {
            sets[family].push_back({i, 1});
            open = family;
            next = 2;
        } else {
            open.clear();
        }
    }
    return sets;
}

}  // namespace

std::string entryFamily(const PlaylistEntry& entry)
{
    std::string base;
    int number = 0;
    if (splitNumberedName(entry.name, base, number))
        return base + "\n" + entry.name.substr(entry.name.size() - 4);
    if (entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".dob") == 0)
        return entry.name.substr(0, entry.name.size() - 4) + "\n.dob";
    return entry.name;
}

std::vector<std::size_t> staleEntries(const Playlist& playlist)
{
    std::vector<std::size_t> stale;
    for (const auto& [family, sets] : numberedSets(playlist)) {
        if (sets.size() < 2)
            continue;
        const int fresh = sets.back().length;
        for (std::size_t s = 0; s + 1 < sets.size(); ++s) {
            for (int n = fresh; n < sets[s].length; ++n)
                stale.push_back(sets[s].first + static_cast<std::size_t>(n));
        }
    }
    std::sort(stale.begin(), stale.end());
    return stale;
}

void replaceEarlierEntries(Playlist& playlist, std::size_t entriesBefore)
{
    std::vector<PlaylistEntry>& entries = playlist.entries;
    entriesBefore = std::min(entriesBefore, entries.size());
    std::map<std::string, std::vector<PlaylistEntry>> added;
    std::vector<PlaylistEntry> appended;  // of families not named before
    std::set<std::string> earlier;
    for (std::size_t i = 0; i < entriesBefore; ++i)
        earlier.insert(entryFamily(entries[i]));
    for (std::size_t i = entriesBefore; i < entries.size(); ++i) {
        const std::string family = entryFamily(entries[i]);
        (earlier.count(family) != 0 ? added[family] : appended).push_back(std::move(entries[i]));
    }
    std::vector<PlaylistEntry> result;
    for (std::size_t i = 0; i < entriesBefore; ++i) {
        const auto replacement = added.find(entryFamily(entries[i]));
        if (replacement == added.end()) {
            result.push_back(std::move(entries[i]));
            continue;
        }
        // The new set stands where the first earlier entry stood; the
        // earlier family's other entries go.
        for (PlaylistEntry& entry : replacement->second)
            result.push_back(std::move(entry));
        replacement->second.clear();
    }
    for (PlaylistEntry& entry : appended)
        result.push_back(std::move(entry));
    entries = std::move(result);
}

std::size_t lineOfEntry(const Playlist& playlist, std::size_t index)
{
    std::size_t line = static_cast<std::size_t>(playlist.emptyLinesBefore) + 1;
    for (std::size_t i = 0; i < index && i < playlist.entries.size(); ++i)
        line += 1 + static_cast<std::size_t>(playlist.entries[i].emptyLinesAfter);
    return line;
}

std::vector<Finding> staleEntryFindings(std::string_view playlistText)
{
    const Playlist playlist = parsePlaylist(playlistText);
    std::vector<Finding> findings;
    for (const std::size_t index : staleEntries(playlist)) {
        Finding finding;
        finding.status = Status::StaleEntry;
        finding.name = playlist.entries[index].name;
        finding.line = lineOfEntry(playlist, index);
        findings.push_back(finding);
    }
    return findings;
}

}  // namespace pelkora::output
