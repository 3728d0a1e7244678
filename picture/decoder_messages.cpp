#include "picture/decoder_messages.h"

#include <unistd.h>

#include <cstdio>

#include <QString>

namespace pelkora::picture {

namespace {

// Qt's handler is one function for the whole process and takes no context
// of ours, so the collector in charge has to be found from here. Only the
// thread that installed it is collected; other threads' messages pass on.
std::atomic<DecoderMessages*> activeCollector{nullptr};

}  // namespace

DecoderMessages::DecoderMessages()
    : thread_(std::this_thread::get_id()), outer_(activeCollector.exchange(this))
{
    previous_ = qInstallMessageHandler(&DecoderMessages::handle);
}

void DecoderMessages::holdStandardError()
{
    if (heldStandardError_ != nullptr)
        return;
    std::fflush(stderr);
    std::FILE* held = std::tmpfile();
    if (held == nullptr)
        return;
    const int saved = ::dup(STDERR_FILENO);
    if (saved < 0 || ::dup2(::fileno(held), STDERR_FILENO) < 0) {
        if (saved >= 0)
            ::close(saved);
        std::fclose(held);
        return;
    }
    savedStandardError_ = saved;
    heldStandardError_ = held;
}

void DecoderMessages::releaseStandardError()
{
    if (heldStandardError_ == nullptr)
        return;
    std::fflush(stderr);
    ::dup2(savedStandardError_, STDERR_FILENO);
    ::close(savedStandardError_);
    savedStandardError_ = -1;
    // What was said, a line a message, within a bound: a decoder that
    // chatters endlessly must not fill memory.
    constexpr std::size_t kMostKept = 16;
    std::rewind(heldStandardError_);
    char line[512];
    while (messages_.size() < kMostKept && std::fgets(line, sizeof line, heldStandardError_) != nullptr) {
        std::string text = QString::fromLocal8Bit(line).simplified().toStdString();
        if (!text.empty())
            messages_.push_back(std::move(text));
    }
    std::fclose(heldStandardError_);
    heldStandardError_ = nullptr;
}

DecoderMessages::~DecoderMessages()
{
    releaseStandardError();
    qInstallMessageHandler(previous_);
    activeCollector.store(outer_);
}

std::vector<std::string> DecoderMessages::take()
{
    releaseStandardError();
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

void DecoderMessages::handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    DecoderMessages* collector = activeCollector.load();
    if (collector != nullptr && collector->thread_ == std::this_thread::get_id() && type != QtFatalMsg) {
        std::string line = text.simplified().toStdString();
        if (!line.empty())
            collector->messages_.push_back(std::move(line));
        return;
    }
    // Not ours: to whoever handled messages before (Qt hands back its own
    // default when nobody did).
    QtMessageHandler next = collector != nullptr ? collector->previous_ : nullptr;
    if (next != nullptr)
        next(type, context, text);
    else
        std::fprintf(stderr, "pelkora: %s\n", text.toLocal8Bit().constData());
}

}  // namespace pelkora::picture
