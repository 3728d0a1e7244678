#pragma once
// The process's standard error: whether a person watches it, and holding
// what libraries write there.

#include <cstdio>

namespace pelkora::platform {

bool standardErrorIsTerminal();

// While redirected, whatever the process writes to its standard error (by
// any means, a library's own writes included) goes into a file instead.
class StandardErrorRedirect {
public:
    StandardErrorRedirect() = default;
    ~StandardErrorRedirect() { restore(); }
    StandardErrorRedirect(const StandardErrorRedirect&) = delete;
    StandardErrorRedirect& operator=(const StandardErrorRedirect&) = delete;

    // False, nothing changed, when the redirection could not be made.
    bool redirectTo(std::FILE* file);
    bool redirected() const { return saved_ >= 0; }
    // Standard error is its old self again.
    void restore();

private:
    int saved_ = -1;  // the old standard error's descriptor
};

}  // namespace pelkora::platform
