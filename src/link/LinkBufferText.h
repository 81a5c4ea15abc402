#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace keyrelay {

// The link's receive buffer (`LinkBuffer`, one text for both link roles) and the
// extraction of one message from it. Positions are counted from 1, as peers count them.
//
// A message is found by the first occurrence of its key (the tag, with the row digit for
// row messages) anywhere in the buffer, also behind unfinished text; it is complete when
// "////" stands within the 1024 characters from the key on. An incomplete message stays
// in the buffer until the rest arrives.
class LinkBufferText {
public:
    // The buffer never holds more than this: appending beyond it drops the oldest text, so
    // a peer that sends text without terminators cannot exhaust memory. 64 KiB is many
    // times the longest table message.
    static constexpr qsizetype Capacity = 64 * 1024;
    // A message's terminator is looked for only this far from its key.
    static constexpr qsizetype SegmentLength = 1024;

    struct Message {
        qsizetype position = 0;    // of the key in the buffer, from 1
        qsizetype terminator = 0;  // of "////" in the segment, from 1 at `position`
        // From the first character after the key up to the terminator: "&S0" in
        // "&S07000////" gives "7000", "&KA" in "&KAY2////" gives "Y2".
        QString payload;
    };

    explicit LinkBufferText(QString& text) : text_(text) {}

    // Appends received text, then keeps the newest Capacity characters.
    void append(QStringView received);
    // Drops the oldest text beyond Capacity (for text appended by other means).
    void keepWithinCapacity();

    // The buffer is exactly "&END////": the one case in which "&END////" acts.
    bool isEndOnly() const;
    bool contains(QStringView part) const { return text_.contains(part); }
    bool isEmpty() const { return text_.isEmpty(); }
    void clear() { text_.clear(); }

    // Position of the first occurrence of `key`, from 1; 0 when there is none.
    qsizetype find(QStringView key) const;
    // The first message with this key, if its terminator has arrived.
    std::optional<Message> complete(QStringView key) const;
    // Cuts the message out, from its key up to and including its terminator. Everything
    // after it stays (within Capacity), so the tail of a long table behind a removed
    // message is kept for the next steps.
    void remove(const Message& message);
    // Cuts out the first occurrence of a message without payload ("&OK////"); false when
    // there is none.
    bool removeWhole(QStringView message);

private:
    QString& text_;
};

}  // namespace keyrelay
