#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

// Renders strokes compactly: "S-a" is Shift+a, "C-A-<DEL>" Ctrl+Alt+Delete.
std::string render(const std::vector<KeyStroke>& strokes) {
    std::string out;
    for (const KeyStroke& s : strokes) {
        if (!out.empty()) {
            out += ' ';
        }
        if (s.modifiers & ShiftModifier)
            out += "S-";
        if (s.modifiers & ControlModifier)
            out += "C-";
        if (s.modifiers & AltModifier)
            out += "A-";
        if (s.isNamedKey) {
            out += "<" + KeyNotation::nameOf(s.key) + ">";
        } else if (s.character < 0x80) {
            out += static_cast<char>(s.character);
        } else {
            out += "U+" + std::to_string(static_cast<unsigned>(s.character));
        }
    }
    return out;
}

struct Case {
    const char* keys;
    const char* strokes;
};

class KeyNotationParses : public ::testing::TestWithParam<Case> {};

TEST_P(KeyNotationParses, IntoTheExpectedStrokes) {
    EXPECT_EQ(render(KeyNotation::parse(GetParam().keys)), GetParam().strokes)
        << "keys: " << GetParam().keys;
}

INSTANTIATE_TEST_SUITE_P(
    Notation, KeyNotationParses,
    ::testing::Values(
        // Ordinary characters, including upper case and symbols that are not special.
        Case{"", ""}, Case{"ABC", "A B C"}, Case{"14000.5", "1 4 0 0 0 . 5"}, Case{"a b", "a   b"},
        Case{"[x]", "[ x ]"}, Case{"a*/#", "a * / #"},
        // Modifiers apply to the next key only, or to a parenthesised group.
        Case{"+EC", "S-E C"}, Case{"+(EC)", "S-E S-C"}, Case{"%CT", "A-C T"}, Case{"^+a", "S-C-a"},
        Case{"+^%x", "S-C-A-x"}, Case{"++a", "S-a"}, Case{"+(a^b)c", "S-a S-C-b c"},
        Case{"(ab)", "a b"}, Case{"()", ""}, Case{"^{F4}", "C-<F4>"}, Case{"%~", "A-<ENTER>"},
        Case{"+{+}", "S-+"},
        // Enter and the braced specials.
        Case{"~", "<ENTER>"}, Case{"a~b", "a <ENTER> b"}, Case{"{~}", "~"},
        Case{"{+}{^}{%}", "+ ^ %"}, Case{"{(}{)}", "( )"}, Case{"{[}{]}", "[ ]"}, Case{"{{}", "{"},
        Case{"{}}", "}"}, Case{"{{}x{}}", "{ x }"}, Case{"{ }", " "},
        // Every key name, with the accepted spellings and any letter case.
        Case{"{BACKSPACE}{BS}{BKSP}", "<BACKSPACE> <BACKSPACE> <BACKSPACE>"},
        Case{"{BREAK}{CAPSLOCK}{HELP}", "<BREAK> <CAPSLOCK> <HELP>"},
        Case{"{DELETE}{DEL}{INSERT}", "<DELETE> <DELETE> <INSERT>"},
        Case{"{DOWN}{UP}{LEFT}{RIGHT}", "<DOWN> <UP> <LEFT> <RIGHT>"},
        Case{"{END}{HOME}{PGDN}{PGUP}", "<END> <HOME> <PGDN> <PGUP>"},
        Case{"{ENTER}{ESC}{TAB}", "<ENTER> <ESC> <TAB>"},
        Case{"{NUMLOCK}{PRTSC}{SCROLLLOCK}", "<NUMLOCK> <PRTSC> <SCROLLLOCK>"},
        Case{"{enter}{Esc}{f5}", "<ENTER> <ESC> <F5>"},
        Case{"{F1}{F9}{F10}{F16}", "<F1> <F9> <F10> <F16>"},
        // Repeats of keys and of characters.
        Case{"{LEFT 3}", "<LEFT> <LEFT> <LEFT>"}, Case{"{h 4}", "h h h h"}, Case{"{+ 2}", "+ +"},
        Case{"{LEFT 0}x", "x"}, Case{"^{h 2}", "C-h C-h"}, Case{"{  2}", "   "},
        // Characters beyond ASCII pass through as code points.
        Case{"\xC3\xA9", "U+233"}, Case{"\xE2\x82\xAC", "U+8364"},
        // The typical prefix, frequency and suffix for the decoder.
        Case{"%CT14000.3{ENTER}", "A-C T 1 4 0 0 0 . 3 <ENTER>"}));

TEST(KeyNotation, LongRepeatsExpandFully) {
    EXPECT_EQ(KeyNotation::parse("{LEFT 42}").size(), 42u);
    EXPECT_EQ(KeyNotation::parse("{x 9999}").size(), 9999u);
}

class KeyNotationRefuses : public ::testing::TestWithParam<Case> {};

TEST_P(KeyNotationRefuses, WithAClearDescription) {
    try {
        KeyNotation::parse(GetParam().keys);
        FAIL() << "accepted: " << GetParam().keys;
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::InvalidArgument);
        EXPECT_NE(e.description().find(GetParam().strokes), std::string::npos)
            << "description: " << e.description();
    }
}

// The second column is a piece of the expected description.
INSTANTIATE_TEST_SUITE_P(
    Malformed, KeyNotationRefuses,
    ::testing::Values(
        Case{"{", "without a matching \"}\""}, Case{"{ENTER", "without a matching \"}\""},
        Case{"}", "without a matching \"{\""}, Case{"a}b", "without a matching"},
        Case{"{}", "empty braces"}, Case{"x{}", "empty braces"},
        Case{"(", "without a matching \")\""}, Case{"+(ab", "without a matching \")\""},
        Case{")", "without a matching \"(\""}, Case{"ab)", "without a matching"},
        Case{"{ENTRE}", "unknown key name {ENTRE}"}, Case{"{F17}", "unknown key name"},
        Case{"{F0}", "unknown key name"}, Case{"{LEFT x}", "bad repeat count"},
        Case{"{LEFT -1}", "bad repeat"}, Case{"{LEFT 1.5}", "bad repeat count"},
        Case{"{LEFT 10000}", "larger than 9999"}, Case{"{LEFT 99999999999}", "bad repeat count"},
        Case{"+", "with no key after it"}, Case{"ab^", "with no key after it"},
        Case{"+%", "with no key after it"}, Case{"(+)", "with no key after it"},
        Case{"+()", "empty group"}, Case{"\xC3", "not valid UTF-8"},
        Case{"a\xFF", "not valid UTF-8"}, Case{"\xC0\x80", "not valid UTF-8"}));

TEST(KeyNotation, DescriptionQuotesTheWholeString) {
    try {
        KeyNotation::parse("%CT{ENTR}");
        FAIL();
    } catch (const PlatformError& e) {
        EXPECT_NE(e.description().find("\"%CT{ENTR}\""), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace keyrelay
