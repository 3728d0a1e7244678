#include "session/loop_preview.h"

#include <ostream>

#include "output/ascii.h"
#include "output/names.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/review_places.h"
#include "session/loop_gif.h"
#include "session/loop_view.h"

namespace pelkora::session {

namespace fs = std::filesystem;

bool wantsLoop(const fs::path& to)
{
    return output::equalsIgnoringAsciiCase(to.extension().string(), ".gif");
}

int previewLoop(const fs::path& folder, const fs::path& gifPath, bool quiet, sheet::GlyphPainter& glyphs,
                std::ostream& out, std::ostream& err)
{
    const std::string shownPath = output::escapedForTerminal(gifPath.string());
    if (const auto refused = output::placeRefusal(gifPath, {folder, fs::path(output::kOutputFolderName)})) {
        err << "pelkora: " << shownPath << ": " << output::escapedForTerminal(*refused) << "\n";
        return 1;
    }
    output::Playlist playlist;
    const Outcome read = output::readPlaylist(folder, playlist);
    std::error_code error;
    if (!read.ok() || !fs::is_regular_file(output::playlistPath(folder), error)) {
        const fs::path where = read.status == Status::NoSuchFolder ? folder : output::playlistPath(folder);
        err << "pelkora: " << output::escapedForTerminal(where.string()) << ": "
            << (read.ok() ? statusText(Status::MissingFromPackage) : outcomeText(read)) << "\n";
        return 1;
    }
    const LoopView view(folder, loopItems(playlist), glyphs);
    const LoopGif gif = encodeLoopGif(view);
    if (!gif.refusal.empty()) {
        err << "pelkora: " << shownPath << ": " << gif.refusal << "\n";
        return 1;
    }
    const Outcome written = output::writeWholeFile(gifPath, gif.bytes);
    if (!written.ok()) {
        err << "pelkora: " << shownPath << ": " << output::escapedForTerminal(outcomeText(written)) << "\n";
        return 1;
    }
    if (!quiet)
        out << shownPath << " written: " << gif.frames << " entries, loop " << gif.centiseconds / 100 << "."
            << (gif.centiseconds % 100 < 10 ? "0" : "") << gif.centiseconds % 100 << " s\n";
    return 0;
}

}  // namespace pelkora::session
