#pragma once
// What Qt's picture plugins say while they decode (libpng's warnings and
// errors arrive as Qt messages) is collected here for the one decode that
// runs on this thread, so that it reaches the user through the program's own
// reporting, with the file's name, instead of raw on the terminal.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <QtGlobal>

namespace pelkora::picture {

class DecoderMessages {
public:
    DecoderMessages();
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // The messages so far, in order, each on one line.
    std::vector<std::string> take();

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    std::vector<std::string> messages_;
    std::thread::id thread_;
    QtMessageHandler previous_ = nullptr;
    DecoderMessages* outer_ = nullptr;
};

}  // namespace pelkora::picture
