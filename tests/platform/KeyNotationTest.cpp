#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

// The strokes of `keys` compactly ("S-a" is Shift+a, "C-A-<DELETE>" Ctrl+Alt+Delete,
// "U+233" a character beyond ASCII), or "error: <description>" when it is refused.
std::string parsed(const std::string& keys) {
    std::string out;
    try {
        for (const KeyStroke& s : KeyNotation::parse(keys)) {
            out += out.empty() ? "" : " ";
            out += s.modifiers & ShiftModifier ? "S-" : "";
            out += s.modifiers & ControlModifier ? "C-" : "";
            out += s.modifiers & AltModifier ? "A-" : "";
            out += s.isNamedKey         ? "<" + KeyNotation::nameOf(s.key) + ">"
                   : s.character < 0x80 ? std::string(1, static_cast<char>(s.character))
                                        : "U+" + std::to_string(s.character);
        }
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::InvalidArgument) << keys;
        return "error: " + e.description();
    }
    return out;
}

TEST(KeyNotation, ParsesIntoStrokesOrRefusesWithAClearDescription) {
    // The input, and its strokes or "error: " and a piece of the error's description.
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Ordinary characters, including upper case and symbols that are not special.
        {"", ""},
        {"A1.5 [x]*/#", "A 1 . 5   [ x ] * / #"},
        // Modifiers apply to the next key only, or to a parenthesised group.
        {"+EC", "S-E C"},
        {"+(EC)", "S-E S-C"},
        {"%CT", "A-C T"},
        {"^+a+^%x++a", "S-C-a S-C-A-x S-a"},
        {"+(a^b)c(ab)()", "S-a S-C-b c a b"},
        {"^{F4}%~+{+}", "C-<F4> A-<ENTER> S-+"},
        // Enter and the braced specials.
        {"a~b{~}", "a <ENTER> b ~"},
        {"{+}{^}{%}{(}{)}{[}{]}{{}{}}{ }", "+ ^ % ( ) [ ] { }  "},
        // Every key name, with the accepted spellings and any letter case.
        {"{BACKSPACE}{BS}{BKSP}{BREAK}{CAPSLOCK}{HELP}{DELETE}{DEL}{INSERT}",
         "<BACKSPACE> <BACKSPACE> <BACKSPACE> <BREAK> <CAPSLOCK> <HELP> <DELETE> <DELETE> "
         "<INSERT>"},
        {"{DOWN}{UP}{LEFT}{RIGHT}{END}{HOME}{PGDN}{PGUP}{ENTER}{ESC}{TAB}",
         "<DOWN> <UP> <LEFT> <RIGHT> <END> <HOME> <PGDN> <PGUP> <ENTER> <ESC> <TAB>"},
        {"{NUMLOCK}{PRTSC}{SCROLLLOCK}{enter}{Esc}{f5}{F1}{F10}{F16}",
         "<NUMLOCK> <PRTSC> <SCROLLLOCK> <ENTER> <ESC> <F5> <F1> <F10> <F16>"},
        // Repeats of keys and of characters.
        {"{LEFT 3}{h 2}{+ 2}{  2}", "<LEFT> <LEFT> <LEFT> h h + +    "},
        {"{LEFT 0}x^{h 2}", "x C-h C-h"},
        // Characters beyond ASCII pass through as code points.
        {"é€😀", "U+233 U+8364 U+128512"},
        // The typical prefix, frequency and suffix for the decoder.
        {"%CT14000.3{ENTER}", "A-C T 1 4 0 0 0 . 3 <ENTER>"},
        // Refused, the whole string quoted in the description.
        {"%CT{ENTR}", "error: \"%CT{ENTR}\""},
        {"{", "error: without a matching \"}\""},
        {"{ENTER", "error: without a matching \"}\""},
        {"a}b", "error: without a matching \"{\""},
        {"x{}", "error: empty braces"},
        {"+(ab", "error: without a matching \")\""},
        {"ab)", "error: without a matching \"(\""},
        {"{ENTRE}", "error: unknown key name {ENTRE}"},
        {"{F17}", "error: unknown key name"},
        {"{F0}", "error: unknown key name"},
        {"{LEFT x}", "error: bad repeat count"},
        {"{LEFT -1}", "error: bad repeat count"},
        {"{LEFT 1.5}", "error: bad repeat count"},
        {"{LEFT 99999999999}", "error: bad repeat count"},
        {"{LEFT 10000}", "error: larger than 9999"},
        {"ab^", "error: with no key after it"},
        {"+%", "error: with no key after it"},
        {"(+)", "error: with no key after it"},
        {"+()", "error: empty group"},
        // Found by fuzzing: each group level is a level of recursion.
        {std::string(32, '(') + "a" + std::string(32, ')'), "a"},
        {std::string(33, '(') + "a" + std::string(33, ')'), "error: nested more than 32 deep"},
        {std::string(100000, '('), "error: nested more than 32 deep"},
        {"\xC3", "error: not valid UTF-8"},
        {"a\xFF", "error: not valid UTF-8"},
        {"\xC0\x80", "error: not valid UTF-8"},
        {"\xED\xA0\x80", "error: not valid UTF-8"},      // a surrogate
        {"\xF4\x90\x80\x80", "error: not valid UTF-8"},  // beyond U+10FFFF
    };
    for (const auto& [keys, expected] : cases) {
        const std::string result = parsed(keys);
        if (expected.rfind("error: ", 0) == 0 && result.rfind("error: ", 0) == 0) {
            EXPECT_NE(result.find(expected.substr(7)), std::string::npos) << keys << ": " << result;
        } else {
            EXPECT_EQ(result, expected) << keys;
        }
    }
    EXPECT_EQ(KeyNotation::parse("{x 9999}").size(), 9999u);
}

}  // namespace
}  // namespace keyrelay
