#pragma once
// What Qt's picture plugins say while they decode (libpng's warnings and
// errors arrive as Qt messages) is collected here for the decode that runs
// on this thread, so that it reaches the user through the program's own
// reporting, with the file's name, instead of raw on the terminal. Several
// threads may decode at once, each with its own collector.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include <QtGlobal>

#include "platform/terminal.h"

namespace pelkora::decoders {

class DecoderMessages {
public:
    DecoderMessages();
    // libpng reports its errors by writing to the standard error stream
    // itself, past Qt's handler; while such a decode runs, that stream is
    // put aside into a file of ours and read back as messages. The stream is
    // the process's: one decode at a time holds it, the others wait.
    void holdStandardError();
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // The messages so far, in order, each on one line.
    std::vector<std::string> take();

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    std::vector<std::string> messages_;
    DecoderMessages* outer_ = nullptr;  // the collector this one stands in for on its thread
    std::unique_lock<std::mutex> standardErrorHeld_;
    platform::StandardErrorRedirect standardError_;
    std::FILE* heldStandardError_ = nullptr;

    void releaseStandardError();
};

}  // namespace pelkora::decoders
