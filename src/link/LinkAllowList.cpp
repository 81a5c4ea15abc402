#include "link/LinkAllowList.h"

#include <QFile>
#include <optional>

#include "core/FileNames.h"

namespace keyrelay {

namespace {

// "::ffff:a.b.c.d": an IPv4 address carried in IPv6.
constexpr int MappedBytes = 12;
constexpr int MappedPrefix = MappedBytes * 8;
constexpr int IPv4Bits = 32;
constexpr int IPv6Bits = 128;

bool isMapped(const QHostAddress& address) {
    if (address.protocol() != QAbstractSocket::IPv6Protocol) {
        return false;
    }
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < MappedBytes - 2; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return bytes[MappedBytes - 2] == 0xff && bytes[MappedBytes - 1] == 0xff;
}

QHostAddress mapped(const QHostAddress& v4) {
    Q_IPV6ADDR bytes{};
    bytes[MappedBytes - 2] = bytes[MappedBytes - 1] = 0xff;
    const quint32 value = v4.toIPv4Address();
    for (int i = 0; i < 4; ++i) {
        bytes[MappedBytes + i] = static_cast<quint8>(value >> (24 - 8 * i));
    }
    return QHostAddress(bytes);
}

// A number of 1 to 3 digits, at most `max`.
std::optional<int> smallNumber(QStringView text, int max) {
    if (text.isEmpty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    return value <= max ? std::optional<int>(value) : std::nullopt;
}

// IPv4 only as four decimal numbers (Qt would also take "10.1" or "10"), IPv6 as Qt reads
// it; a mapped IPv4 address as the IPv4 address.
std::optional<QHostAddress> addressOf(QStringView text) {
    QHostAddress address;
    if (text.contains(QLatin1Char(':'))) {
        if (!address.setAddress(text.toString()) ||
            address.protocol() != QAbstractSocket::IPv6Protocol) {
            return std::nullopt;
        }
        return address;
    }
    const auto parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    for (const QStringView part : parts) {
        if (!smallNumber(part, 255)) {
            return std::nullopt;
        }
    }
    if (!address.setAddress(text.toString())) {
        return std::nullopt;
    }
    return address;
}

}  // namespace

// Qt's own conversion also turns "::" into 0.0.0.0, which would make "::/0" an IPv4 range.
QHostAddress LinkAllowList::unmapped(const QHostAddress& address) {
    if (!isMapped(address)) {
        return address;
    }
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    quint32 v4 = 0;
    for (int i = MappedBytes; i < 16; ++i) {
        v4 = (v4 << 8) | bytes[i];
    }
    return QHostAddress(v4);
}

LinkAllowList LinkAllowList::parse(QStringView text) {
    LinkAllowList list;
    int number = 0;
    for (QStringView line : text.split(QLatin1Char('\n'))) {
        ++number;
        const QString raw = line.left(80).toString().trimmed();  // enough to find it
        if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0) {
            line = line.left(hash);
        }
        const QStringList words = line.toString().simplified().split(QLatin1Char(' '));
        bool good = true;
        if (words.size() == 2 &&
            words[0].compare(QLatin1String("listen"), Qt::CaseInsensitive) == 0) {
            const std::optional<QHostAddress> address = addressOf(words[1]);
            good = address.has_value();
            if (good) {
                list.listen_ = unmapped(*address);
            }
        } else if (words.size() == 1 && !words[0].isEmpty()) {
            const QString& entry = words[0];
            const qsizetype slash = entry.indexOf(QLatin1Char('/'));
            std::optional<QHostAddress> address =
                addressOf(slash < 0 ? QStringView(entry) : QStringView(entry).left(slash));
            const int bits = address && address->protocol() == QAbstractSocket::IPv4Protocol
                                 ? IPv4Bits
                                 : IPv6Bits;
            const std::optional<int> prefix =
                slash < 0 ? bits : smallNumber(QStringView(entry).mid(slash + 1), bits);
            good = address && prefix;
            if (good && isMapped(*address) && *prefix >= MappedPrefix) {
                list.ranges_.push_back({unmapped(*address), *prefix - MappedPrefix});
            } else if (good) {
                list.ranges_.push_back({*address, *prefix});
            }
        } else {
            good = words.size() == 1;  // an empty or comment line
        }
        if (!good) {
            list.skipped_ << QStringLiteral("%1 line %2 skipped: %3")
                                 .arg(QString::fromLatin1(FileName))
                                 .arg(number)
                                 .arg(raw);
        }
    }
    return list;
}

LinkAllowList LinkAllowList::load(const QString& folder) {
    const QString name = QString::fromLatin1(FileName);
    QString path = FileNames::findIgnoringCase(folder, name);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Single-byte text, as every settings file; a few lines, but a stray huge file must not
    // take the memory: what is beyond the first 64 KiB is not read.
    return parse(QString::fromLatin1(file.read(64 * 1024)));
}

bool LinkAllowList::allows(const QHostAddress& peer) const {
    if (ranges_.empty()) {
        return true;
    }
    const QHostAddress address = unmapped(peer);
    const bool v4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    for (const Range& range : ranges_) {
        // An IPv6 range may also hold IPv4 addresses in their mapped form ("::/0").
        if (address.isInSubnet(range.network, range.prefix) ||
            (v4 && mapped(address).isInSubnet(range.network, range.prefix))) {
            return true;
        }
    }
    return false;
}

}  // namespace keyrelay
