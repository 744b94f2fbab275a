// Destination settings through their memory block.

#include "tests/support/testsupport.h"

#include "engine/driver/destproperties.h"

using namespace mx;

namespace {

class TTextSettings : public TIMxDestProperties {
    MX_CLASS(TTextSettings)
public:
    using TIMxDestProperties::TIMxDestProperties;
    QString Text;
    qint64 Copies = 0;
    bool HasData() override { return !Text.isEmpty(); }
};

void describeTextSettings(ClassBuilder<TTextSettings>& c)
{
    c.string(QStringLiteral("Text"), &TTextSettings::Text, &TTextSettings::Text);
    c.integer(QStringLiteral("Copies"), &TTextSettings::Copies, &TTextSettings::Copies);
}

} // namespace

MX_DEFINE_CLASS(TTextSettings, TIMxDestProperties, describeTextSettings)

using DestPropertiesTest = mxtest::EngineTest;

TEST_F(DestPropertiesTest, SettingsGoThroughTheirBlockAndBack)
{
    TTextSettings saved;
    saved.Text = QStringLiteral("Résultats de l'étape");
    saved.Copies = 3;
    char* buffer = reinterpret_cast<char*>(1);
    qint32 size = -1;
    QString error;
    ASSERT_TRUE(saved.SaveToBuffer(buffer, size, &error)) << error.toStdString();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(QByteArray(buffer, size), saved.SaveToBytes()); // exactly the stream, nothing more

    TTextSettings loaded;
    EXPECT_TRUE(loaded.LoadFromBuffer(buffer, size, &error)) << error.toStdString();
    saved.FreeBuffer(buffer, size);
    EXPECT_EQ(loaded.Text, saved.Text);
    EXPECT_EQ(loaded.Copies, 3);
}

TEST_F(DestPropertiesTest, AFailingWriteLeavesNoBlockAndSaysWhy)
{
    TTextSettings settings;
    settings.Text = QStringLiteral("漢字"); // not storable in the file's code page
    char* buffer = reinterpret_cast<char*>(1);
    qint32 size = 99;
    QString error;
    EXPECT_FALSE(settings.SaveToBuffer(buffer, size, &error));
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_FALSE(error.isEmpty());
    settings.FreeBuffer(buffer, size); // freeing what was never made is harmless
}

TEST_F(DestPropertiesTest, ADamagedBlockIsReported)
{
    TTextSettings settings;
    settings.Text = QStringLiteral("gardé");
    const QByteArray good = settings.SaveToBytes();
    const QByteArray cases[] = {QByteArray("garbage"), good.left(good.size() / 2), QByteArray()};
    for (const QByteArray& bytes : cases) {
        QString error;
        EXPECT_FALSE(settings.LoadFromBuffer(bytes.isEmpty() ? nullptr : bytes.constData(), qint32(bytes.size()), &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(settings.Text, QStringLiteral("gardé"));
}
