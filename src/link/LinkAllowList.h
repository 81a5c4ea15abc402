#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace keyrelay {

// Who may use the station link, from the file "LinkAllow.txt" in the settings folder: the
// peer addresses allowed to connect, and optionally the one address to listen on.
//
// One entry a line; "#" starts a comment; blank lines are skipped:
//   192.168.1.20          one address (IPv4 or IPv6)
//   192.168.1.0/24        a range, CIDR style (/0 to /32 for IPv4, /0 to /128 for IPv6)
//   fd00::/8
//   listen 192.168.1.5    listen on this address only (the last such line counts)
// An IPv4 address written IPv4-mapped ("::ffff:10.0.0.1") means the IPv4 address, in the
// list and in a peer alike, so a dual-stack listener's peers match the IPv4 entries.
// A line that is none of these is skipped and named in skipped(); the rest still counts.
// With no entry everyone is allowed, as a station without the file has always been.
class LinkAllowList {
public:
    static constexpr const char* FileName = "LinkAllow.txt";

    static LinkAllowList parse(QStringView text);
    // The file in `folder`; a missing or unreadable file gives the open list.
    static LinkAllowList load(const QString& folder);

    bool isOpen() const { return ranges_.empty(); }
    bool allows(const QHostAddress& peer) const;
    // The address to listen on; null when the file names none (every address).
    const QHostAddress& listenAddress() const { return listen_; }
    // An IPv4-mapped IPv6 address as the IPv4 address; any other as it is.
    static QHostAddress unmapped(const QHostAddress& address);

    // Each skipped line as "LinkAllow.txt line N skipped: TEXT".
    const QStringList& skipped() const { return skipped_; }

private:
    struct Range {
        QHostAddress network;
        int prefix = 0;
    };

    std::vector<Range> ranges_;
    QHostAddress listen_;
    QStringList skipped_;
};

}  // namespace keyrelay
