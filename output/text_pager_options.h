#pragma once
// How texts are read when paged: kept apart from the pager so that the
// decoding steps and the callers that only pass options along need no more.

#include <string>

namespace pelkora::output {

struct TextPagerOptions {
    // Character set for texts without a byte-order mark (a name such
    // as "CP1252" or "GBK"); empty means the locale's, UTF-8 in C/POSIX.
    std::string ansiCharset;
    // Lines break between words where a word fits on a line (--wrap words).
    bool wrapWords = false;
};

}  // namespace pelkora::output
