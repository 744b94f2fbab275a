// Wiping secrets: a buffer a string owns alone is zeroed before it goes;
// one it shares, or a literal's, is only let go, its other holders intact.

#include "engine/core/wipe.h"

#include <gtest/gtest.h>

using namespace mx;

namespace {

template <class Text, class Unit>
void expectWipes(Text (*make)(const char*), void (*wipe)(Text&))
{
    // Owned alone: the very buffer is zeroed (the string keeps it until it
    // goes, so it is read here while still the string's).
    Text alone = make("secret");
    ASSERT_TRUE(alone.isDetached());
    const Unit* chars = reinterpret_cast<const Unit*>(alone.constData());
    const qsizetype size = alone.size();
    wipe(alone);
    EXPECT_TRUE(alone.isEmpty());
    for (qsizetype i = 0; i < size; ++i)
        EXPECT_EQ(chars[i], Unit(0)) << i;

    // Shared: the other holder keeps its text.
    const Text kept = make("secret");
    Text copy = kept;
    wipe(copy);
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_EQ(kept, make("secret"));

    // Empty: nothing to do.
    Text none;
    wipe(none);
    EXPECT_TRUE(none.isEmpty());
}

QString makeString(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray makeBytes(const char* text)
{
    return QByteArray(text);
}

} // namespace

TEST(Wipe, AStringOwnedAloneIsZeroedAndOneSharedIsOnlyLetGo)
{
    expectWipes<QString, char16_t>(makeString, WipeString);
    expectWipes<QByteArray, char>(makeBytes, WipeBytes);
    // A literal's text lies in read-only memory: it is let go, never written.
    QString literal = QStringLiteral("secret");
    WipeString(literal);
    EXPECT_TRUE(literal.isEmpty());
    QByteArray bytes = QByteArrayLiteral("secret");
    WipeBytes(bytes);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(QStringLiteral("secret"), makeString("secret"));
}
