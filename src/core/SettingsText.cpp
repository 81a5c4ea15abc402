#include "core/SettingsText.h"

#include <QStringDecoder>
#include <algorithm>
#include <iterator>
#include <optional>

namespace keyrelay {

namespace {

// The characters of Windows-1252's bytes 0x80-0x9F. The undefined bytes 0x81, 0x8D, 0x8F,
// 0x90 and 0x9D stand for the control characters of the same value, as Windows reads them.
constexpr char16_t HighBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

// The text of `bytes` when they are valid UTF-8. Text of ASCII bytes only reads the same
// in both encodings, so it needs no special case.
std::optional<QString> fromUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return std::nullopt;
    }
    return text;
}

std::optional<char> windows1252Byte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<char>(u);
    }
    const auto* found = std::find(std::begin(HighBlock), std::end(HighBlock), u);
    if (found == std::end(HighBlock)) {
        return std::nullopt;
    }
    return static_cast<char>(0x80 + (found - std::begin(HighBlock)));
}

// The UTF-8 of `text`. A text that begins with U+FEFF gets a byte order mark in front of
// it, since decode() drops the first one as a mark: only the added one goes.
QByteArray utf8Of(QStringView text) {
    const QByteArray bytes = text.toUtf8();
    return text.startsWith(QChar(0xFEFF)) ? QByteArray("\xEF\xBB\xBF") + bytes : bytes;
}

}  // namespace

QString SettingsText::decode(QByteArrayView bytes) {
    if (std::optional<QString> text = fromUtf8(bytes)) {
        return *text;
    }
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? HighBlock[byte - 0x80] : char16_t{byte});
    }
    return text;
}

QByteArray SettingsText::encode(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    bool ascii = true;
    for (const QChar c : text) {
        const std::optional<char> byte = windows1252Byte(c);
        if (!byte) {
            return utf8Of(text);
        }
        ascii = ascii && c.unicode() < 0x80;
        bytes.append(*byte);
    }
    // Such bytes would be read as the UTF-8 of some other text ("Ã©" as "é").
    if (!ascii && fromUtf8(bytes)) {
        return utf8Of(text);
    }
    return bytes;
}

}  // namespace keyrelay
