#include "decoders/decoder_messages.h"

#include <cstdio>

#include <QString>

namespace pelkora::decoders {

namespace {

// Qt's handler is one function for the whole process and takes no context
// of ours, so the collector in charge has to be found from here: each
// thread has its own, and messages of a thread without one pass on.
thread_local DecoderMessages* threadCollector = nullptr;

// Installed while any collector lives, and handed back by the last one.
struct HandlerInstall {
    std::mutex mutex;
    int collectors = 0;
    QtMessageHandler previous = nullptr;
};

HandlerInstall& handlerInstall()
{
    static HandlerInstall install;
    return install;
}

std::mutex& standardErrorMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace

DecoderMessages::DecoderMessages() : outer_(threadCollector)
{
    threadCollector = this;
    HandlerInstall& install = handlerInstall();
    std::lock_guard lock(install.mutex);
    if (install.collectors++ == 0)
        install.previous = qInstallMessageHandler(&DecoderMessages::handle);
}

void DecoderMessages::holdStandardError()
{
    if (heldStandardError_ != nullptr)
        return;
    std::unique_lock held(standardErrorMutex());
    std::fflush(stderr);
    std::FILE* file = std::tmpfile();
    if (file == nullptr)
        return;
    if (!standardError_.redirectTo(file)) {
        std::fclose(file);
        return;
    }
    heldStandardError_ = file;
    standardErrorHeld_ = std::move(held);
}

void DecoderMessages::releaseStandardError()
{
    if (heldStandardError_ == nullptr)
        return;
    std::fflush(stderr);
    standardError_.restore();
    standardErrorHeld_ = {};
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
    threadCollector = outer_;
    HandlerInstall& install = handlerInstall();
    std::lock_guard lock(install.mutex);
    if (--install.collectors == 0)
        qInstallMessageHandler(install.previous);
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
    if (DecoderMessages* collector = threadCollector; collector != nullptr && type != QtFatalMsg) {
        std::string line = text.simplified().toStdString();
        if (!line.empty())
            collector->messages_.push_back(std::move(line));
        return;
    }
    // Not ours: to whoever handled messages before (Qt hands back its own
    // default when nobody did).
    QtMessageHandler next = nullptr;
    {
        HandlerInstall& install = handlerInstall();
        std::lock_guard lock(install.mutex);
        next = install.previous;
    }
    if (next != nullptr)
        next(type, context, text);
    else
        std::fprintf(stderr, "pelkora: %s\n", text.toLocal8Bit().constData());
}

}  // namespace pelkora::decoders
