#include "link/LinkReader.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "link/LinkMessage.h"

namespace keyrelay {

namespace {

// A check box takes 0 or 1 only.
std::optional<int> checkBoxValue(bool isNumber, int value) {
    if (!isNumber || (value != 0 && value != 1)) {
        return std::nullopt;
    }
    return value;
}

// "&IN": the leading digits ("1IN" is 1, none is 0).
std::optional<int> includeValue(const QString& payload) {
    qsizetype digits = 0;
    while (digits < payload.size() && payload.at(digits).isDigit()) {
        ++digits;
    }
    if (digits == 0) {
        return 0;
    }
    bool ok = false;
    const int value = payload.left(digits).toInt(&ok);
    return checkBoxValue(ok, value);
}

// "&C": a whole number.
std::optional<int> cycleBandsValue(const QString& payload) {
    bool ok = false;
    const int value = payload.trimmed().toInt(&ok);
    return checkBoxValue(ok, value);
}

}  // namespace

void LinkReader::receive(QStringView text) {
    buffer_.append(text);
    if (buffer_.isEndOnly()) {
        buffer_.clear();
        return;
    }
    runPasses();
}

void LinkReader::runPasses() {
    buffer_.keepWithinCapacity();
    for (int pass = 1;; ++pass) {
        bool ends = false;
        if (role_ == Role::Server) {
            try {
                ends = serverPass();
            } catch (const std::exception&) {
                return;  // the server ends its handling silently
            }
        } else {
            ends = clientPass();
        }
        if (ends) {
            return;
        }
        clock_.waitMs(PassPauseMs);
        if (pass >= MaxPasses) {
            return;
        }
        if (buffer_.isEmpty()) {
            for (int i = 0; i < 3; ++i) {
                clock_.yield();
            }
            return;
        }
    }
}

bool LinkReader::serverPass() {
    if (buffer_.removeWhole(LinkMessage::Send)) {
        target_.sendOwnTable();
        return true;
    }
    if (buffer_.find(LinkMessage::KeepAliveProbe) != 0) {
        target_.sendReply(LinkMessage::Ok.toString());
        buffer_.removeWhole(LinkMessage::KeepAliveProbe);
        return true;
    }
    if (buffer_.removeWhole(LinkMessage::Ok)) {
        target_.markSenderAnswered();
        return true;
    }
    if (const auto command = buffer_.complete(u"&X")) {
        target_.applyCommand(command->payload);
        buffer_.clear();
        return true;
    }
    tableStep();
    if (buffer_.removeWhole(LinkMessage::Start)) {
        target_.start();
        return true;
    }
    if (buffer_.removeWhole(LinkMessage::Stop)) {
        target_.stop();
        return true;
    }
    settingsStep();
    return false;
}

bool LinkReader::clientPass() {
    clientStep([this] {
        if (buffer_.removeWhole(LinkMessage::Send)) {
            target_.sendOwnTable();
        }
    });
    clientStep([this] {
        if (buffer_.find(u"&KA") == 0) {
            return;
        }
        // Answered before the rest is looked at, so the server counts this client as
        // alive also while the keep-alive is still on its way.
        target_.sendReply(LinkMessage::Ok.toString());
        if (const auto keepAlive = buffer_.complete(u"&KA")) {
            target_.showKeepAlive(keepAlive->payload.startsWith(QLatin1Char('Y')),
                                  keepAlive->payload.mid(1));
            buffer_.remove(*keepAlive);
        }
    });
    if (buffer_.removeWhole(LinkMessage::Ok)) {
        return true;
    }
    clientStep([this] { tableStep(); });
    // Start and Stop may run the event loop; the message is looked up again afterwards.
    clientStep([this] {
        if (buffer_.find(LinkMessage::Start) != 0) {
            target_.start();
            buffer_.removeWhole(LinkMessage::Start);
        }
    });
    clientStep([this] {
        if (buffer_.find(LinkMessage::Stop) != 0) {
            target_.stop();
            buffer_.removeWhole(LinkMessage::Stop);
        }
    });
    clientStep([this] { settingsStep(); });
    return false;
}

void LinkReader::tableStep() {
    if (!buffer_.contains(u"&") || !buffer_.contains(LinkMessage::Terminator) ||
        buffer_.contains(LinkMessage::Start) || buffer_.contains(LinkMessage::Stop)) {
        return;
    }
    // Rows are applied only from a whole table. Its rows always end with row 7's "&IN7"
    // message; until that is complete the rows have not all arrived (TCP may deliver a
    // table in pieces), and emptying them now would lose the rows still on their way, or
    // let a later piece that holds no rows empty them again. The rows' own end is the mark,
    // not the table's closing "&SU": the settings step may already have taken "&SU" in a
    // pass in which "&START////" held the rows back.
    if (!buffer_.complete(u"&IN7")) {
        return;
    }
    static constexpr std::pair<const char16_t*, QString SweepSettings::Row::*> texts[] = {
        {u"&S", &SweepSettings::Row::StartFreq},  {u"&E", &SweepSettings::Row::EndFreq},
        {u"&I", &SweepSettings::Row::IncH},       {u"&D", &SweepSettings::Row::DurSec},
        {u"&ST", &SweepSettings::Row::StartTime}, {u"&ET", &SweepSettings::Row::EndTime},
    };
    SweepSettings fields = target_.sweepFields();
    for (int r = 0; r < SweepSettings::Lines; ++r) {
        SweepSettings::Row& row = fields.rows.at(static_cast<std::size_t>(r));
        const QString digit = QString::number(r);
        for (const auto& [tag, member] : texts) {
            row.*member = QString();
        }
        for (const auto& [tag, member] : texts) {
            if (const auto message = buffer_.complete(QString::fromUtf16(tag) + digit)) {
                row.*member = message->payload;
                buffer_.remove(*message);
            }
        }
        if (const auto message = buffer_.complete(QStringLiteral("&IN") + digit)) {
            // Peers send 0 or 1; any other number leaves the include mark as it is.
            if (const std::optional<int> value = includeValue(message->payload)) {
                row.IncCheck = *value;
            }
            buffer_.remove(*message);
        }
    }
    target_.setSweepFields(fields);
}

void LinkReader::settingsStep() {
    static constexpr std::pair<const char16_t*, QString SweepSettings::*> texts[] = {
        {u"&T", &SweepSettings::TargetName},
        {u"&P", &SweepSettings::PrefixStr},
        {u"&SU", &SweepSettings::SufixStr},
        {u"&R", &SweepSettings::ReturnApp},
    };
    SweepSettings fields = target_.sweepFields();
    bool changed = false;
    if (const auto message = buffer_.complete(u"&C")) {
        const std::optional<int> value = cycleBandsValue(message->payload);
        if (!value && role_ == Role::Server) {
            // Not a whole number a check box takes: the server ends its handling here,
            // having changed nothing, and the message stays.
            throw std::invalid_argument("not a check box value");
        }
        // The client skips the value and drops the message, so that it does not fail again
        // in every later pass.
        if (value) {
            fields.CycleBands = *value;
        }
        buffer_.remove(*message);
        changed = true;
    }
    for (const auto& [tag, member] : texts) {
        if (const auto message = buffer_.complete(QStringView(tag))) {
            fields.*member = message->payload;
            buffer_.remove(*message);
            changed = true;
        }
    }
    if (changed) {
        target_.setSweepFields(fields);
    }
}

void LinkReader::clientStep(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception&) {
        // A failing step on the client is skipped; the pass goes on.
    }
}

}  // namespace keyrelay
