#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace keyrelay {

// How the bytes of a settings file become text and back. Files made on Windows are in its
// 8-bit code page, Windows-1252 in Western locales, which agrees with Latin-1 except at
// 0x80-0x9F (the euro sign, typographic quotes and dashes); files made elsewhere may be
// UTF-8. Nothing a user typed may come back as "?", so a text Windows-1252 cannot hold is
// written as UTF-8.
class SettingsText {
public:
    // The text of a file's bytes: UTF-8 when they are valid UTF-8 (a leading byte order
    // mark is dropped), otherwise Windows-1252 with every byte one character. The five
    // bytes Windows-1252 leaves undefined keep their Latin-1 meaning, so every byte
    // survives a read and a write.
    static QString decode(QByteArrayView bytes);

    // The bytes to write for `text`: Windows-1252, byte for byte what Windows writes, when
    // it holds every character and those bytes would not read back as UTF-8; otherwise
    // UTF-8 without a byte order mark. decode(encode(text)) gives `text` back.
    static QByteArray encode(QStringView text);
};

}  // namespace keyrelay
