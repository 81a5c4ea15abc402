#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/VirtualClock.h"
#include "link/LinkAllowList.h"
#include "link/LinkBufferText.h"
#include "link/LinkMessage.h"
#include "link/LinkReader.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

using Role = LinkReader::Role;
using Calls = std::vector<std::string>;

struct RecordingTarget : LinkTarget {  // the window and its socket, as the reader sees them
    Calls calls;
    SweepSettings fields;
    bool failReplies = false;  // the socket has been closed
    void sendReply(const QString& m) override {
        calls.push_back(failReplies ? throw PlatformError(10053, "closed")
                                    : "reply " + m.toStdString());
    }
    void sendOwnTable() override { calls.push_back("table"); }
    void start() override { calls.push_back("start"); }
    void stop() override { calls.push_back("stop"); }
    void markSenderAnswered() override { calls.push_back("answered"); }
    void applyCommand(const QString& c) override { calls.push_back("do " + c.toStdString()); }
    void showKeepAlive(bool running, const QString& count) override {
        calls.push_back(std::string("KA ") + (running ? "Y " : "N ") + count.toStdString());
    }
    SweepSettings sweepFields() override { return fields; }
    void setSweepFields(const SweepSettings& f) override { fields = f; }
};

// Every field a table carries differs from a fresh window's.
SweepSettings sentTable() {
    SweepSettings s;
    s.TargetName = "CW Skimmer";
    s.PrefixStr = "^{F5}";
    s.SufixStr = "~";
    s.ReturnApp = "N1MM";
    s.CycleBands = 1;
    s.rows[0] = {"7000", "7040", "1", "10", 1, "", ""};
    s.rows[5] = {"14000", "14070", "0.5", "30*", 1, "08:00", "17:30"};
    return s;
}
const QString table = LinkMessage::composeTable(sentTable());

// One program's receive buffer, clock and sweep window (rows 2, 7 and ReturnApp not a table's).
struct Link {
    Link() {
        target.fields.rows[2].StartFreq = "3500";
        target.fields.rows[7].IncCheck = 1;
        target.fields.ReturnApp = "old";
    }
    void receive(Role role, const QString& text) {
        LinkReader(buffer, clock, target, role).receive(text);
    }
    QString buffer;
    VirtualClock clock;
    RecordingTarget target;
};

TEST(LinkMessage, ComposesTheTableMessageInPeerOrder) {
    SweepSettings rowZero;  // row 0 alone, everything else empty
    rowZero.rows[0] = sentTable().rows[0];
    const std::string row0 = "&S07000////&E07040////&I01////&D010////&IN01IN////";
    const std::string rows1to4 = "&IN10IN////&IN20IN////&IN30IN////&IN40IN////";
    EXPECT_EQ(LinkMessage::composeTable(rowZero).toStdString(),
              row0 + rows1to4 + "&IN50IN////&IN60IN////&IN70IN////&C0////&T////&P////&SU////");
    EXPECT_EQ(table.toStdString(),
              row0 + rows1to4 +
                  "&S514000////&E514070////&I50.5////&D530*////&ST508:00////&ET517:30////"
                  "&IN51IN////&IN60IN////&IN70IN////&C1////&TCW Skimmer////&P^{F5}////&SU~////"
                  "&RN1MM////");
    EXPECT_EQ(LinkMessage::keepAlive(true, 3).toStdString(), "&KAY3////");
    EXPECT_EQ(LinkMessage::keepAlive(false, 12).toStdString(), "&KAN12////");
    EXPECT_EQ(LinkMessage::command("^{F5}").toStdString(), "&X^{F5}////");
}

TEST(LinkMessage, SendsInPiecesOf1024AfterA50msPauseEach) {
    const std::pair<qsizetype, std::vector<qsizetype>> cases[] = {
        {0, {}}, {10, {10}}, {1024, {1024}}, {1025, {1024, 1}}, {2049, {1024, 1024, 1}}};
    for (const auto& [length, expected] : cases) {
        VirtualClock clock;
        const QString text = QString("0123456789").repeated(length / 10 + 1).left(length);
        std::vector<qsizetype> pieces;
        QString joined;
        LinkMessage::sendInChunks(text, clock, [&](const QString& piece) {
            pieces.push_back(piece.size());
            joined += piece;
            EXPECT_EQ(clock.elapsedMs(), 50 * static_cast<std::int64_t>(pieces.size()));
        });
        EXPECT_EQ(pieces, expected) << length;
        EXPECT_TRUE(joined == text);
    }
}

TEST(LinkBufferText, FindsEachMessageAndItsPayloadWithin1024Characters) {
    QString text =
        "ab&C1////&ST0////&S07000////&E314070////&I70.5////&D130*////&ST208:00////&ET517:30////"
        "&IN61IN////&C0////&TCW Skimmer////&P^{F5}////&SU~////&R////&Xcmd////&KAY12////&S17000";
    const LinkBufferText buffer(text);
    // Key, its first occurrence ("&ST0" is not "&S0"), payload (nullptr: not complete).
    const std::tuple<const char*, qsizetype, const char*> cases[] = {
        {"&C", 3, "1"},        {"&S0", 18, "7000"}, {"&E3", 29, "14070"},
        {"&I7", 41, "0.5"},    {"&D1", 51, "30*"},  {"&ST2", 61, "08:00"},
        {"&ET5", 74, "17:30"}, {"&IN6", 87, "1IN"}, {"&T", 105, "CW Skimmer"},
        {"&P", 121, "^{F5}"},  {"&SU", 132, "~"},   {"&R", 140, ""},
        {"&X", 146, "cmd"},    {"&KA", 155, "Y12"}, {"&S1", 165, nullptr}};
    for (const auto& [key, position, payload] : cases) {
        EXPECT_EQ(buffer.find(QString::fromLatin1(key)), position) << key;
        const auto found = buffer.complete(QString::fromLatin1(key));
        ASSERT_EQ(found.has_value(), payload != nullptr) << key;
        if (found) {
            EXPECT_EQ(found->payload.toStdString(), payload) << key;
        }
    }
    for (const int fill : {1017, 1018}) {  // "////" ends at character 1024 of the segment or after
        QString longText = "&S0" + QString(fill, u'x') + "////";
        EXPECT_EQ(LinkBufferText(longText).complete(u"&S0").has_value(), fill == 1017);
    }
}

TEST(LinkReader, HandlesEachArrivalInTheRolesOrder) {
    using Arrival = std::pair<std::string, Calls>;  // text, calls it makes
    struct Case {
        const char* name;
        Role role;
        std::string before;
        std::vector<Arrival> arrivals;
        std::string after;
        int pauses;  // of 50 ms, one per pass that does not end the handling
    };
    const std::string y3000(3000, 'y');  // more than the 1024 characters older copies keep
    const std::string full(LinkBufferText::Capacity, 'a');
    const Role S = Role::Server, C = Role::Client;
    const std::string ok = "reply &OK////";
    const std::vector<Arrival> onePerArrival = {
        {"&OK////&KA////&STOP////&SEND////&START////", {"table"}},
        {"", {ok}},
        {"", {"answered"}},
        {"", {"start"}},
        {"&Xcmd", {"stop"}},  // an unfinished command waits
        {"////&START////", {"do cmd"}},
        {"", {}}};  // the command emptied the buffer
    const Case cases[] = {
        {"behind other text", C, "", {{"abc&OK////" + y3000, {}}}, "abc" + y3000, 0},
        {"unfinished", S, "", {{"&S07000", {}}}, "&S07000", 51},
        {"capped", S, full, {{"bcd", {}}}, full.substr(3) + "bcd", 51},
        {"end", S, "", {{"&END", {}}, {"////", {}}}, "", 51},
        {"end inside", S, "x", {{"&END////", {}}}, "x&END////", 51},
        {"one per arrival", S, "", onePerArrival, "", 1},
        {"pass", C, "", {{"&SEND////&KAY2////&STOP////", {"table", ok, "KA Y 2", "stop"}}}, "", 1},
        {"split KA", C, "", {{"&KAN", Calls(51, ok)}, {"3////", {ok, "KA N 3"}}}, "", 52}};
    for (const Case& c : cases) {
        Link link;
        link.buffer = QString::fromStdString(c.before);
        for (const auto& [text, calls] : c.arrivals) {
            link.target.calls.clear();
            link.receive(c.role, QString::fromStdString(text));
            EXPECT_EQ(link.target.calls, calls) << c.name << ": " << text;
        }
        EXPECT_EQ(link.buffer.toStdString(), c.after) << c.name;
        EXPECT_EQ(link.clock.elapsedMs(), 50 * c.pauses) << c.name;
        EXPECT_EQ(link.target.fields, Link().target.fields) << c.name;
    }
}

TEST(LinkReader, AppliesATableOnceItsRowsHaveAllArrived) {
    const qsizetype rowsEnd = table.indexOf("&C");  // after row 7's "&IN7" message
    // Role, first and second piece, the rows are applied after the first.
    const std::tuple<Role, QString, QString, bool> cases[] = {
        {Role::Server, table + "&START////", "", false},  // the start ends the handling
        {Role::Client, table + "&START////", "", true},   // the next pass applies the table
        {Role::Server, table.left(5), table.mid(5), false},
        {Role::Server, table.left(rowsEnd - 2), table.mid(rowsEnd - 2), false},
        {Role::Server, table.left(rowsEnd), table.mid(rowsEnd), true},
        {Role::Client, table.left(rowsEnd + 9), table.mid(rowsEnd + 9), true},
        {Role::Client, table.left(table.indexOf("&R")), "", true}};
    for (const auto& [role, first, second, rowsAfterFirst] : cases) {
        Link link;
        link.receive(role, first);
        EXPECT_EQ(link.target.fields.rows == sentTable().rows, rowsAfterFirst) << first.size();
        EXPECT_EQ(link.target.calls.size(), first.endsWith("&START////") ? 1u : 0u);
        link.receive(role, second);
        SweepSettings expected = sentTable();
        expected.ReturnApp = (first + second).contains("&R") ? "N1MM" : "old";  // no "&R": kept
        EXPECT_EQ(link.target.fields, expected) << first.size();
        EXPECT_TRUE(link.buffer.isEmpty());
    }
}

TEST(LinkReader, FailureEndsTheServersHandlingAndSkipsTheClientsStep) {
    for (const Role role : {Role::Server, Role::Client}) {
        const bool client = role == Role::Client;
        Link link;
        link.receive(role, "&IN72IN////&C2////&TX////");    // 2 is no check box value
        EXPECT_EQ(link.target.fields.rows[7].IncCheck, 1);  // an include mark is just kept
        EXPECT_EQ(link.target.fields.TargetName == "X", client);
        EXPECT_EQ(link.buffer.toStdString(), client ? "" : "&C2////&TX////");
        Link closed;
        closed.target.failReplies = true;
        closed.receive(role, "&KA////&STOP////");
        EXPECT_EQ(closed.target.calls, client ? Calls{"stop"} : Calls{});
    }
}

// Each list against peers inside and just outside it; "" lists nothing, which allows all.
TEST(LinkAllowList, AllowsThePeersInItsRangesOnly) {
    using Case = std::tuple<const char*, std::vector<const char*>, std::vector<const char*>>;
    for (const auto& [list, allowed, refused] : std::vector<Case>{
             {"", {"10.1.2.3", "::1"}, {}},
             {"# comment only\r\n\r\n", {"10.1.2.3"}, {}},
             {"192.168.1.20  # the shack PC",
              {"192.168.1.20", "::ffff:192.168.1.20"},
              {"192.168.1.21", "::1"}},
             {"10.0.0.0/8\n172.16.0.0/12",
              {"10.255.255.255", "172.31.0.1"},
              {"11.0.0.0", "172.32.0.0"}},
             {"0.0.0.0/0", {"1.2.3.4", "::ffff:8.8.8.8"}, {"::1", "fe80::1"}},
             {"127.0.0.2/32", {"127.0.0.2"}, {"127.0.0.3"}},
             {"fd00::/8\n::1/128", {"fd12::5", "::1"}, {"fe00::1", "::2", "10.0.0.1"}},
             {"::/0", {"2001:db8::1", "10.0.0.1"}, {}},
             {"::ffff:10.0.0.0/104", {"10.9.9.9", "::ffff:10.0.0.1"}, {"11.0.0.1"}},
             {"::ffff:0:0/96", {"1.2.3.4"}, {"::1"}},
             {"10.0.0.1/33\n10.1\n256.0.0.1\n10.0.0.1/x\n::1/129\nlisten\nhost.example\n"
              "1.2.3.4 5.6.7.8\n10.0.0.7",
              {"10.0.0.7"},
              {"10.0.0.1", "10.1.0.0", "0.0.0.0", "::1"}}}) {
        const LinkAllowList allow = LinkAllowList::parse(QString::fromLatin1(list));
        for (const char* peer : allowed) {
            EXPECT_TRUE(allow.allows(QHostAddress(QString::fromLatin1(peer)))) << list << peer;
        }
        for (const char* peer : refused) {
            EXPECT_FALSE(allow.allows(QHostAddress(QString::fromLatin1(peer)))) << list << peer;
        }
    }
    const LinkAllowList bad = LinkAllowList::parse(
        u"10.1\nlisten ::ffff:127.0.0.5 # here\n"
        u"::1/129\nlisten 1.2.3\n");
    EXPECT_EQ(bad.skipped(), (QStringList{u"LinkAllow.txt line 1 skipped: 10.1"_qs,
                                          u"LinkAllow.txt line 3 skipped: ::1/129"_qs,
                                          u"LinkAllow.txt line 4 skipped: listen 1.2.3"_qs}));
    EXPECT_EQ(bad.listenAddress(), QHostAddress(u"127.0.0.5"_qs));
    EXPECT_TRUE(bad.isOpen());
}

}  // namespace
}  // namespace keyrelay
