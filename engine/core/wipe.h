#pragma once
// Wiping secrets held in memory: a password typed or read is zeroed in its
// buffer once it has served, so no copy of it lingers in freed memory.
// Only a buffer the string owns alone is zeroed: one it shares (with the
// caller who handed it, or with the text it was copied from) belongs to its
// other holders too, and is only let go.

#include <QByteArray>
#include <QString>

namespace mx {

// Zeroes the characters of text when it owns its buffer alone, then empties
// it (the zeroed buffer is released with the string).
void WipeString(QString& text);
void WipeBytes(QByteArray& bytes);

// Wipes the string when the scope ends, however it ends.
class TWipeOnExit {
public:
    explicit TWipeOnExit(QString& text) : m_text(text) {}
    ~TWipeOnExit() { WipeString(m_text); }
    TWipeOnExit(const TWipeOnExit&) = delete;
    TWipeOnExit& operator=(const TWipeOnExit&) = delete;

private:
    QString& m_text;
};

} // namespace mx
