#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/LineFile.h"
#include "core/SettingsText.h"

namespace keyrelay {

// What every settings-file target checks: reading any bytes neither crashes nor hangs,
// and what is then saved reads back as the same value, so closing the program never
// changes a setting the user did not touch.
template <class Format, class Value>
void readSaveAndReadAgain(const std::uint8_t* data, std::size_t size) {
    Value loaded{};
    Format::apply(LineFile::linesOf(QByteArrayView(data, qsizetype(size))), loaded);
    const QStringList saved = Format::lines(loaded);

    QString text;  // as LineFile::write puts it into the file
    for (const QString& line : saved) {
        text += line;
        text += u"\r\n";
    }
    Value reloaded{};
    Format::apply(LineFile::linesOf(SettingsText::encode(text)), reloaded);
    if (Format::lines(reloaded) != saved) {
        std::abort();
    }
}

}  // namespace keyrelay
