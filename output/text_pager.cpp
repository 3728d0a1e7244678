// A text becomes its pages: detect the encoding by the byte-order mark,
// normalise and decode the bytes piece by piece, cut the code units into
// pages and write every page with its playlist entry as soon as it is
// complete. Besides the file's own bytes (read whole by the input reader),
// memory stays the same whatever the length of the text.

#include "output/text_pager.h"

#include <algorithm>
#include <climits>
#include <system_error>

#include "output/output_folder.h"
#include "output/page_files.h"
#include "output/playlist.h"
#include "output/text_decoding.h"
#include "output/text_pagination.h"
#include "output/utf8.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

// The bytes decoded at a time: what the decoding holds besides the text.
constexpr std::size_t kPiece = 64 * 1024;

// writeTextPage: one page file and its playlist entry per call, numbered
// from 1 in the order the pages come.
class PageWriter {
public:
    PageWriter(const fs::path& workDirectory, std::string pageName, PlaylistAppender* playlist)
            : pages_(outputFolderPath(workDirectory)),
              ownPlaylist_(playlist != nullptr ? fs::path() : playlistPath(outputFolderPath(workDirectory))),
              playlist_(playlist != nullptr ? *playlist : ownPlaylist_), pageName_(std::move(pageName)),
              written_([this](const PageFiles::Written& page) { pageWritten(page); })
    {
        bytes_.reserve(4 * kCellsPerPage);
    }

    void writeTextPage(std::u16string_view units)
    {
        if (pageNumber_ == INT_MAX) {
            ++result_.pagesSkipped;  // no number is left to name the page by
            return;
        }
        ++pageNumber_;
        bytes_.clear();
        appendUtf8(units, bytes_);
        pages_.write(pageNumber_, textPageFileName(pageName_, pageNumber_), bytes_, written_);
    }

    // The entries not yet in the playlist go in; the result is then whole.
    const PagerResult& finish()
    {
        pages_.finish(written_);
        writeEntries();
        return result_;
    }

private:
    // Entries go in a few dozen at a time, whole lines in one write, each
    // after its page is in place: a look-up and a write for every page of a
    // small page cost the pager a third of its time.
    static constexpr int kEntriesPerWrite = 64;

    // Pages come back in their order. One that cannot be created is
    // skipped; its number stays used.
    void pageWritten(const PageFiles::Written& page)
    {
        if (!page.ok) {
            ++result_.pagesSkipped;
            keepFirst(page.cause);
            return;
        }
        ++result_.pagesWritten;
        entries_ += textPageEntry(pageName_, page.number);
        if (++entryCount_ == kEntriesPerWrite)
            writeEntries();
    }

    void writeEntries()
    {
        if (entryCount_ == 0)
            return;
        if (const Outcome appended = playlist_.append(entries_); !appended.ok()) {
            result_.entriesMissing += entryCount_;
            keepFirst(appended.cause);
        }
        entries_.clear();
        entryCount_ = 0;
    }

    void keepFirst(const std::error_code& cause)
    {
        if (!result_.outcome.cause)
            result_.outcome.cause = cause;
    }

    PageFiles pages_;
    PlaylistAppender ownPlaylist_;
    PlaylistAppender& playlist_;
    std::string pageName_;
    const PageFiles::Done written_;
    std::string bytes_;
    int pageNumber_ = 0;
    std::string entries_;  // written pages' entries, not yet in the playlist
    int entryCount_ = 0;
    PagerResult result_;
};

struct ReadOutcome {
    bool ok = true;
    std::size_t units = 0;
    std::optional<std::uint64_t> zeroByteOffset;
    bool undecodable = false;
};

// ANSI and UTF-8 texts: the bytes after the mark, up to a zero byte,
// normalised and decoded.
ReadOutcome decodeNarrowText(std::string_view text, std::size_t markLength, const std::string& charset,
                             Paginator& paginator)
{
    TextDecoder decoder(charset);
    if (!decoder.valid())
        return {false, 0, std::nullopt};

    ReadOutcome outcome;
    TextNormaliser normaliser;
    std::string bytes;  // normalised, with the start of a character cut off by the last piece
    std::u16string units;
    auto pass = [&](bool last) {
        const std::size_t used = decoder.decode(bytes, units, last);
        bytes.erase(0, used);
        paginator.feed(units);
        outcome.units += units.size();
        units.clear();
    };
    for (std::size_t at = markLength; at < text.size() && !normaliser.ended(); at += kPiece) {
        normaliser.feed(text.substr(at, kPiece), bytes);
        pass(false);
    }
    if (normaliser.ended())
        outcome.zeroByteOffset = static_cast<std::uint64_t>(markLength) + normaliser.bytesBeforeEnd();
    normaliser.finish(bytes);
    pass(true);
    outcome.undecodable = decoder.sawUndecodable();
    return outcome;
}

// UTF-16 texts: the whole units after the mark, as they are, in the byte
// order the mark gives; an odd last byte is no unit.
ReadOutcome decodeUtf16Text(std::string_view text, bool bigEndian, Paginator& paginator)
{
    constexpr std::size_t kMarkLength = 2;
    const std::size_t lowByte = bigEndian ? 1 : 0;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };

    ReadOutcome outcome;
    std::u16string units;
    units.reserve(kPiece / 2);
    const std::size_t end = text.size() < kMarkLength ? kMarkLength : text.size() - (text.size() - kMarkLength) % 2;
    for (std::size_t at = kMarkLength; at < end;) {
        const std::size_t pieceEnd = at + std::min(kPiece, end - at);
        units.clear();
        for (; at < pieceEnd; at += 2)
            units.push_back(static_cast<char16_t>(byteAt(at + lowByte) | (byteAt(at + 1 - lowByte) << 8)));
        paginator.feed(units);
        outcome.units += units.size();
    }
    return outcome;
}

// Walks back over one character ending at end: a whole UTF-8 sequence
// where there is one, else a single byte.
std::size_t characterStart(std::string_view name, std::size_t end)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
    std::size_t start = end - 1;
    while (start > 0 && isUtf8Continuation(byteAt(start)) && end - start < 4)
        --start;
    const unsigned char lead = byteAt(start);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xC0 && lead <= 0xF4 && start + length == end)
        return start;
    return end - 1;
}

Status overallStatus(const ReadOutcome& outcome, const PagerResult& pages)
{
    if (!outcome.ok)
        return Status::CannotRead;
    if (outcome.units == 0)
        return Status::EmptyText;
    if (pages.pagesWritten == 0)
        return Status::CannotWrite;
    if (pages.entriesMissing > 0)
        return Status::CannotWriteIndex;
    if (pages.pagesSkipped > 0)
        return Status::PagesNotWritten;
    return Status::Ok;
}

}  // namespace

TextEncoding detectTextEncoding(std::string_view text)
{
    const auto byteAt = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
    if (byteAt(0) == 0xFF && byteAt(1) == 0xFE)
        return TextEncoding::Utf16LE;
    if (byteAt(0) == 0xFE && byteAt(1) == 0xFF)
        return TextEncoding::Utf16BE;
    if (byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF)
        return TextEncoding::Utf8;
    return TextEncoding::Ansi;
}

std::string pageNameOf(const fs::path& textPath)
{
    const std::string name = textPath.filename().string();
    // Without a dot there is no extension to take off.
    if (name.find('.') == std::string::npos)
        return name;
    std::size_t end = name.size();
    for (int i = 0; i < 4; ++i) {
        if (end == 0)
            return name;
        end = characterStart(name, end);
    }
    return name.substr(0, end);
}

bool isKnownCharset(const std::string& charset) { return TextDecoder(charset).valid(); }

PagerResult pageText(std::string_view text, const fs::path& textPath, const fs::path& workDirectory,
                     const TextPagerOptions& options, PlaylistAppender* playlist)
{
    PageWriter writer(workDirectory, pageNameOf(textPath), playlist);
    Paginator paginator([&writer](std::u16string_view units, PageRange) { writer.writeTextPage(units); },
                        options.wrapWords);
    ReadOutcome outcome;
    std::optional<std::string> guessedCharset;  // for a text without a mark
    switch (detectTextEncoding(text)) {
    case TextEncoding::Utf16LE:
        outcome = decodeUtf16Text(text, false, paginator);
        break;
    case TextEncoding::Utf16BE:
        outcome = decodeUtf16Text(text, true, paginator);
        break;
    case TextEncoding::Utf8:
        outcome = decodeNarrowText(text, 3, "UTF-8", paginator);
        break;
    default:
        guessedCharset = ansiCharsetFor(options);
        outcome = decodeNarrowText(text, 0, *guessedCharset, paginator);
        break;
    }
    paginator.finish();

    PagerResult result = writer.finish();
    result.outcome = Outcome(overallStatus(outcome, result), result.outcome.cause);
    if (result.outcome.status == Status::PagesNotWritten)
        result.outcome.detail = std::to_string(result.pagesSkipped);
    result.zeroByteOffset = outcome.zeroByteOffset;
    if (outcome.undecodable && guessedCharset)
        result.notInCharset = guessedCharset;
    return result;
}

}  // namespace pelkora::output
