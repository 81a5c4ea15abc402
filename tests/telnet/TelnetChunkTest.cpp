#include "telnet/TelnetChunk.h"

#include <gtest/gtest.h>

#include <QString>

namespace keyrelay {
namespace {

using Kind = TelnetChunk::Kind;

struct Case {
    const char* chunk;
    Kind kind;
};

class TelnetChunkClassify : public ::testing::TestWithParam<Case> {};

TEST_P(TelnetChunkClassify, FirstMatchingRuleWins) {
    EXPECT_EQ(TelnetChunk::classify(QString::fromLatin1(GetParam().chunk)), GetParam().kind)
        << GetParam().chunk;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TelnetChunkClassify,
    ::testing::Values(
        Case{"Please enter your callsign: ", Kind::LoginPrompt},
        Case{"Please enter your CallSign:", Kind::LoginPrompt},
        // The prompt beats a spot in the same chunk, and a spot beats a click report.
        Case{"DX de SKIM-#: 14025.0 K1ABC 12 dB 20 WPM CQ 1200Z\r\ncallsign:", Kind::LoginPrompt},
        Case{"DX de SKIM-#: 14025.0 K1ABC\r\nTo ALL de SKIMMER 1200Z : Clicked on \"\" at 14025",
             Kind::Spot},
        Case{"dx de skim-#: 14025.0 k1abc 12 db", Kind::Spot}, Case{"Dx de", Kind::Spot},
        Case{"xx DX ", Kind::Spot},
        // D and X without the blank after them are no spot marker.
        Case{"DX", Kind::Other}, Case{"DXde SKIM", Kind::Other}, Case{"DX\r\nde", Kind::Other},
        Case{"To ALL de SKIMMER 1200Z : Clicked on \"\" at 14025.3\r\n", Kind::ClickReport},
        Case{"clicked", Kind::ClickReport}, Case{"cLiCkEd", Kind::ClickReport},
        Case{"CLICK", Kind::Other}, Case{"Hello NOCALL", Kind::Other}, Case{"", Kind::Other}));

// A chunk is judged alone: a marker split across two arrivals is found in neither.
TEST(TelnetChunk, MarkerSplitAcrossArrivalsIsNotFound) {
    EXPECT_EQ(TelnetChunk::classify(u"Please enter your CALL"), Kind::Other);
    EXPECT_EQ(TelnetChunk::classify(u"SIGN: "), Kind::Other);
    EXPECT_EQ(TelnetChunk::classify(u"...\r\nDX"), Kind::Other);
    EXPECT_EQ(TelnetChunk::classify(u" de SKIM-#: 14025.0"), Kind::Other);
}

}  // namespace
}  // namespace keyrelay
