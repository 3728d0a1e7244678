#include "core/status.h"

namespace pelkora {

namespace {

// Where a result's detail goes beside the status's words.
enum class DetailForm {
    Parenthesised,  // "not a picture (the decoder's reason)"
    AfterColon,     // "decoder: its words"
    Quoted,         // "not NAME,MS ...: \"the line\""
    Between,        // "cannot write 3 of its pages"
    Whole,          // the detail alone says it all
};

struct Words {
    const char* text;
    DetailForm form = DetailForm::Parenthesised;
    const char* after = "";  // Between: what follows the detail
};

Words wordsOf(Status status)
{
    switch (status) {
    case Status::Ok:
        return {"ok"};
    case Status::CantFindFile:
        return {"Cant find file!"};
    case Status::CannotRead:
        return {"cannot read the file"};
    case Status::NotAPicture:
        return {"not a picture"};
    case Status::BrokenPicture:
        return {"a damaged picture that does not decode"};
    case Status::NoFrames:
        return {"a GIF without any frame that decodes"};
    case Status::EmptySurface:
        return {"the picture has a width or height of 0"};
    case Status::SurfaceTooLarge:
        return {"the picture is too large (its surface would exceed 256 MiB)"};
    case Status::FramesTooLarge:
        return {"the animation is too large (its decoded frames would exceed the memory limit)"};
    case Status::FileTooLarge:
        return {"the file is too large to load (more than 1 GiB)"};
    case Status::EmptyText:
        return {"empty text"};
    case Status::CannotWrite:
        return {"cannot write"};
    case Status::CannotWriteIndex:
        return {"cannot append to the playlist"};
    case Status::BadDobLength:
        return {"its length fits no DOB size"};
    case Status::DobSizeAmbiguous:
        return {"its header fits several sizes (choose one with --size WxH)", DetailForm::AfterColon};
    case Status::DobSizeUnfit:
        return {"the size asked for does not fit its length and header", DetailForm::AfterColon};
    case Status::BadPlaylistLine:
        return {"not NAME,MS (MS a number of 1 to 9 digits)", DetailForm::Quoted};
    case Status::TornPlaylistLine:
        return {"torn: the last line has no line feed", DetailForm::Quoted};
    case Status::PlaylistTooLarge:
        return {"the playlist is too large to check (more than 64 MiB)"};
    case Status::MissingFromPackage:
        return {"named by the playlist, but no such file"};
    case Status::NotInPlaylist:
        return {"no playlist line names it"};
    case Status::NamedTwice:
        return {"named by more than one line"};
    case Status::StaleEntry:
        return {"left from an earlier conversion: the file was added again with fewer pages or frames"};
    case Status::NotUtf8:
        return {"not valid UTF-8"};
    case Status::PageTooLong:
        return {"more than 55 cells"};
    case Status::IsAFolder:
        return {"is a folder, not a file"};
    case Status::NotARegularFile:
        return {"is not a regular file"};
    case Status::NoSuchFolder:
        return {"no such folder"};
    case Status::NotAFolder:
        return {"is not a folder"};
    case Status::CannotListFolder:
        return {"cannot list the folder"};
    case Status::SourceInOutput:
        return {"is the output folder or lies inside it; converting it would delete its own files"};
    case Status::CannotCreateFolder:
        return {"cannot create the output folder"};
    case Status::CannotDelete:
        return {"cannot delete"};
    case Status::CannotLock:
        return {"cannot lock the output folder"};
    case Status::SourcePlaceUnknown:
        return {"cannot tell whether it lies inside the output folder; nothing is emptied"};
    case Status::LinkOutOfPackage:
        return {"a symbolic link to a file outside the package (a copy to the device carries it dangling)"};
    case Status::NotPictureOrText:
        return {"not a picture or a text", DetailForm::AfterColon};
    case Status::PagesNotWritten:
        return {"cannot write", DetailForm::Between, " of its pages"};
    case Status::OutputNameRefused:
        return {"its output name cannot be written", DetailForm::Whole};
    case Status::NothingKept:
        return {"no previous package is kept"};
    case Status::DobHeaderWrapped:
        return {"its header wraps, so the device cannot show it as meant", DetailForm::AfterColon};
    case Status::LargerThanScreen:
        return {"larger than the screen"};
    case Status::UnnamedFileKept:
        return {"no line names it any more, but it could not be removed"};
    case Status::LeftByInterruption:
        return {"left by an interrupted run", DetailForm::AfterColon};
    case Status::OutputTooLarge:
        return {"its output would be too large", DetailForm::Parenthesised};
    case Status::NotInCharset:
        return {"not valid text in", DetailForm::Between,
                ", the character set it is read in: name the right one with --ansi-codepage NAME"};
    case Status::DecoderSaid:
        return {"decoder", DetailForm::AfterColon};
    case Status::EarlierLineLeft:
        return {"line", DetailForm::Between, " is left from an earlier conversion (add with --replace to replace it)"};
    case Status::ZeroByteEnds:
        return {"a zero byte at offset", DetailForm::Between, " ends the text; what follows it is left out"};
    case Status::HeaderWraps:
        return {"its header holds width and height modulo 256", DetailForm::AfterColon};
    case Status::SettingNotANumber:
        return {"a timing setting is not a plain number", DetailForm::Whole};
    }
    return {"unknown status"};
}

}  // namespace

const char* statusText(Status status) { return wordsOf(status).text; }

Severity severityOf(Status status)
{
    switch (status) {
    case Status::DecoderSaid:
    case Status::ZeroByteEnds:
    case Status::HeaderWraps:
    case Status::SettingNotANumber:
    case Status::EarlierLineLeft:
    case Status::NotInCharset:
    case Status::LargerThanScreen:
        return Severity::Warning;
    case Status::NamedTwice:
        return Severity::Note;
    default:
        return Severity::Error;
    }
}

Outcome& Outcome::prefix(const std::string& what)
{
    context.insert(0, what + ": ");
    return *this;
}

Outcome Outcome::prefixed(const std::string& what) const
{
    Outcome outer = *this;
    return outer.prefix(what);
}

std::string outcomeText(const Outcome& outcome)
{
    const Words words = wordsOf(outcome.status);
    std::string text = outcome.context;
    if (outcome.detail.empty()) {
        text += words.text;
    } else {
        switch (words.form) {
        case DetailForm::Parenthesised:
            text.append(words.text).append(" (").append(outcome.detail).append(")");
            break;
        case DetailForm::AfterColon:
            text.append(words.text).append(": ").append(outcome.detail);
            break;
        case DetailForm::Quoted:
            text.append(words.text).append(": \"").append(outcome.detail).append("\"");
            break;
        case DetailForm::Between:
            text.append(words.text).append(" ").append(outcome.detail).append(words.after);
            break;
        case DetailForm::Whole:
            text += outcome.detail;
            break;
        }
    }
    if (outcome.cause)
        text.append(": ").append(outcome.cause.message());
    return text;
}

}  // namespace pelkora
