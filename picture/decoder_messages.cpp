#include "picture/decoder_messages.h"

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

DecoderMessages::~DecoderMessages()
{
    qInstallMessageHandler(previous_);
    activeCollector.store(outer_);
}

std::vector<std::string> DecoderMessages::take()
{
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
