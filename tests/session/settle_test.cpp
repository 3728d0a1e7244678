// An Add settled by replacing: the playlist the captures wrote into is
// rewritten whole, which Windows refuses while a handle holds it open.
#include "session/session.h"

#include <gtest/gtest.h>

#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::session {
namespace {

using namespace pelkora::testing;

TEST(SessionSettle, AStillAddedAgainReplacesItsEntry)
{
    TempDir sources;
    TempDir work;
    const Bytes still = makeGif(1, 1, {0x000000, 0xFFFFFF}, {solidFrame(0, 0, 1, 1, 1)});
    const auto file = sources.write("logo.gif", std::string(still.begin(), still.end()));
    Session session(makeWorkDirectory(work), {});
    for (int add = 0; add < 2; ++add) {
        const PlaylistMark mark = session.markPlaylist();
        session.addFile(file, Converter::AddRun::New, {});
        session.settleAdd(mark, true);
    }
    EXPECT_TRUE(session.report().failures().empty()) << session.report().failures().front().text();
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), "logo.dob,3000\n\n");
}

}  // namespace
}  // namespace pelkora::session
