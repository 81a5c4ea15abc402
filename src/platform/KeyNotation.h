#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyStroke.h"

namespace keyrelay {

// The keystroke notation (SendKeys):
//   ordinary characters type themselves; "+" Shift, "^" Ctrl, "%" Alt apply to the
//   next key or to a parenthesised group ("+(EC)"); "~" is Enter; braces quote a
//   special character ("{+}", "{{}", "{}}") or name a key ("{ENTER}", "{F12}");
//   a blank and a count repeat it ("{LEFT 42}", "{h 10}").
// Key names are matched without regard to letter case. "[" and "]" outside braces
// type themselves.
class KeyNotation {
public:
    // Largest repeat count accepted inside braces; a larger one is refused rather than
    // turned into an unbounded burst of keystrokes.
    static constexpr int MaxRepeat = 9999;
    // Deepest nesting of parenthesised groups accepted. Each level is a level of the
    // parser's recursion, so a string of many thousand "(" would exhaust the stack; three
    // modifiers never need more than a few levels.
    static constexpr int MaxGroupDepth = 32;

    // Parses `keys` (UTF-8) into strokes. A malformed string (unbalanced braces or
    // parentheses, unknown key name, bad repeat count, modifier with nothing after it,
    // invalid UTF-8) throws PlatformError(errors::InvalidArgument, <what is wrong>).
    static std::vector<KeyStroke> parse(std::string_view keys);

    // The notation's name of a key, upper case, without braces ("ENTER", "F5").
    static std::string nameOf(NamedKey key);
};

}  // namespace keyrelay
