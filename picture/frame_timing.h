#pragma once
// How long a frame stays on screen: the wait after it while playing, and the
// time that the playlist gives the frames of an animation.

#include <chrono>

namespace pelkora::picture {

// 0 to 4 hundredths (and a frame without any delay, -1) would flash by:
// they wait 100 ms (gif::GifQuirk::ZeroDelay); from 5 on, delay x 10 ms.
inline std::chrono::milliseconds frameWait(int delay)
{
    if (delay < 5)
        return std::chrono::milliseconds(100);
    return std::chrono::milliseconds(10LL * delay);
}

// 10 x delay, at least 500 ms.
inline int displayTimeOf(int delay)
{
    const long long time = 10LL * delay;
    return time < 500 ? 500 : static_cast<int>(time);
}

}  // namespace pelkora::picture
