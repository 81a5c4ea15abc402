#include "link/LinkBufferText.h"

#include "link/LinkMessage.h"

namespace keyrelay {

void LinkBufferText::append(QStringView received) {
    text_ += received;
    keepWithinCapacity();
}

void LinkBufferText::keepWithinCapacity() {
    if (text_.size() > Capacity) {
        text_.remove(0, text_.size() - Capacity);
    }
}

bool LinkBufferText::isEndOnly() const {
    return text_ == LinkMessage::End;
}

qsizetype LinkBufferText::find(QStringView key) const {
    return text_.indexOf(key) + 1;
}

std::optional<LinkBufferText::Message> LinkBufferText::complete(QStringView key) const {
    const qsizetype position = find(key);
    if (position == 0) {
        return std::nullopt;
    }
    const QStringView segment = QStringView(text_).mid(position - 1, SegmentLength);
    const qsizetype terminator = segment.indexOf(LinkMessage::Terminator) + 1;
    if (terminator == 0) {
        return std::nullopt;
    }
    const qsizetype payloadFrom = key.size();  // the key has no "/": terminator > key
    return Message{position, terminator,
                   segment.mid(payloadFrom, terminator - 1 - payloadFrom).toString()};
}

void LinkBufferText::remove(const Message& message) {
    text_.remove(message.position - 1, message.terminator - 1 + LinkMessage::Terminator.size());
}

bool LinkBufferText::removeWhole(QStringView message) {
    const qsizetype position = find(message);
    if (position == 0) {
        return false;
    }
    text_.remove(position - 1, message.size());
    return true;
}

}  // namespace keyrelay
