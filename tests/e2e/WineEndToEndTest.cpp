// The real program's pad typing into a Windows program under Wine (tools/wintarget), on
// both key paths, compared with what the program received.
#include "e2e/EndToEnd.h"

namespace keyrelay::e2e {
namespace {

constexpr const char* TargetTitle = "Keyrelay Target";

enum class Before { Nothing, Covered, Minimised };

struct WineCase {
    const char* name;
    QString command;   // in the pad's notation (the setup file is written as UTF-8)
    QString expected;  // as WineEndToEnd::received writes it
    Before before = Before::Nothing;
    bool alternate = false;
};

void PrintTo(const WineCase& c, std::ostream* out) {
    *out << c.name;
}

// `count` printable ASCII characters, cycling through all of them: in the notation, with
// its escapes, and as they arrive.
WineCase ascii(const char* name, int count) {
    WineCase c{name, {}, {}};
    for (int i = 0; i < count; ++i) {
        const QChar ch(' ' + i % 95);
        c.command += QString("+^%~(){}[]").contains(ch) ? "{" + QString(ch) + "}" : QString(ch);
        c.expected += ch;
    }
    return c;
}

std::vector<WineCase> cases() {
    return {
        ascii("EveryPrintableAsciiCharacter", 95),
        ascii("AThousandCharacters", 1000),
        {"EveryNotationConstruct", "a{ENTER}b{TAB}c{BS}{F5}{LEFT 3}+{F5}^{HOME}{h 3}+(ab)^a%x~",
         "a<0D>b<09>c<08>{74}{25}{25}{25}+{74}^{24}hhhAB<01>%x<0D>"},
        {"AccentsAndTypography", "C{[}éñü°€“”{]}D", "C[éñü°€“”]D"},
        {"CoveredByAnotherWindow", "over{ENTER}", "over<0D>", Before::Covered},
        {"MinimisedArrivesInTheFirstRound", "min{TAB}x", "min<09>x", Before::Minimised},
        {"AlternatePath", "alt{(}1{)}+x{TAB}^a{F5}~", "alt(1)X<09><01>{74}<0D>", Before::Nothing,
         true},
        {"MenuShortcutIntoTheDialog", "%CT14025.0{ENTER}",
         "%CT[open]14025.0[text 14025.0][closed]"},
    };
}

class PadIntoWine : public WineEndToEnd, public ::testing::WithParamInterface<WineCase> {};

TEST_P(PadIntoWine, TheTargetReceivesExactlyWhatThePadTypes) {
    const WineCase& c = GetParam();
    // Minimised as the launcher starts programs.
    ASSERT_NE(startTarget(TargetTitle, c.before == Before::Minimised), 0u);
    if (c.before == Before::Covered) {
        const QString cover = QString::number(startTarget("Keyrelay Cover"));
        run("xdotool", {"windowmove", "--sync", cover, "0", "0", "windowsize", "--sync", cover,
                        "100%", "100%", "windowactivate", "--sync", cover});
    }
    // One round (period 600 s), started by "Keypad Auto Start" after an empty launch.
    const QStringList lines =
        QStringList{TargetTitle, "600", c.command} + QStringList(24, QString()) +
        QStringList{"wine", c.alternate ? " 1 " : " 0 ", "TRUE", "FALSE", "FALSE", "TRUE", "FALSE"};
    writeFile("CmdPadF.ini", (lines.join("\r\n") + "\r\n").toUtf8());
    ASSERT_NE(startProgram(), 0u);
    eventually([&] { return received(TargetTitle) == c.expected; }, 20);
    EXPECT_EQ(received(TargetTitle).toStdString(), c.expected.toStdString());
    if (c.before == Before::Covered) {
        EXPECT_EQ(received("Keyrelay Cover").toStdString(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Wine, PadIntoWine, ::testing::ValuesIn(cases()),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace keyrelay::e2e
