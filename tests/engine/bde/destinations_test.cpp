// The destination drivers of the built-in engine: the factory's names,
// what each operation does, and the destination types of BDEDST32.MXF
// served without any library.

#include "bdefixture.h"

#include "engine/bde/bdedestdrivers.h"
#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/destfactories.h"
#include "engine/driver/destproperties.h"
#include "engine/driver/dllloader.h"

#include "platform/core/sharedlibrary.h"
#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QFileInfo>

using namespace mx;
using bdetest::BdeTest;
using bdetest::Dataset;

namespace {

class DestinationsTest : public BdeTest {
protected:
    void SetUp() override { m_demo = MakeDemo(); }
    void TearDown() override
    {
        if (TDllLoaderList* loaders = DllLoadersIfAny())
            while (loaders->Count() > 0)
                loaders->GetItem(0)->Free();
    }
    QString m_demo;
};

} // namespace

TEST_F(DestinationsTest, TheFactoryKnowsItsNamesExactly)
{
    const struct {
        const char* name;
        const char* type; // empty: none
    } cases[] = {
        {"Paradox", "TMxParadoxDestDriver"},
        {"dBASE", "TMxdBASEDestDriver"},
        {"Texte", "TMxTextDestDriver"},
        {"DBASE", ""},
        {"paradox", ""},
        {"ReportSmith", "TMxReportSmithDestDriver"},
        {"reportsmith", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TIMxDestDriver> driver(CreateBdeDestDriver(QString::fromLatin1(c.name)));
        const char* got = !driver ? ""
            : dynamic_cast<TMxParadoxDestDriver*>(driver.get()) ? "TMxParadoxDestDriver"
            : dynamic_cast<TMxdBASEDestDriver*>(driver.get())   ? "TMxdBASEDestDriver"
            : dynamic_cast<TMxTextDestDriver*>(driver.get())    ? "TMxTextDestDriver"
            : dynamic_cast<TMxReportSmithDestDriver*>(driver.get()) ? "TMxReportSmithDestDriver"
                                                                : "other";
        EXPECT_STREQ(got, c.type) << c.name;
    }
}

TEST_F(DestinationsTest, OnlyExportWritesTheTable)
{
    Dataset ds(Driver().ExecuteQuery(QStringLiteral("SELECT ID, NOM FROM CLIENT"), QString(), QString(), QString(), m_demo));
    ASSERT_TRUE(ds);
    const QString file = Path(QStringLiteral("OUT.DB"));
    for (const char* name : {"Paradox", "dBASE", "Texte"}) {
        std::unique_ptr<TIMxDestDriver> driver(CreateBdeDestDriver(QString::fromLatin1(name)));
        ASSERT_TRUE(driver);
        TIMxDestProperties* settings = driver->CreateProperties();
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->className(), QStringLiteral("TIMxDestProperties")) << name;
        driver->Print(settings, file, ds.get());
        driver->Customize(settings, file, ds.get());
        driver->View(settings, file, ds.get());
        EXPECT_FALSE(QFileInfo::exists(file)) << name;
        driver->FreeProperties(settings);
    }
    // The format follows the file's extension, whichever type was asked.
    const struct {
        const char* type;
        const char* file;
    } exports[] = {{"Paradox", "OUT.DB"}, {"dBASE", "out.dbf"}, {"Texte", "OUT.TXT"}};
    for (const auto& e : exports) {
        std::unique_ptr<TIMxDestDriver> driver(CreateBdeDestDriver(QString::fromLatin1(e.type)));
        const QString target = Path(QString::fromLatin1(e.file));
        driver->Export(nullptr, target, ds.get());
        EXPECT_TRUE(TakeMessages().isEmpty()) << e.type;
        QString error;
        auto back = platform::openTableFile(target, {}, &error);
        ASSERT_TRUE(back) << e.file << ": " << error.toStdString();
        EXPECT_EQ(back->fields().size(), 2) << e.file;
    }
    // Nothing to write: an error for the caller, no file.
    std::unique_ptr<TIMxDestDriver> driver(CreateBdeDestDriver(QStringLiteral("Paradox")));
    EXPECT_THROW(driver->Export(nullptr, Path(QStringLiteral("NONE.DB")), nullptr), EMxException);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("NONE.DB"))));
}

TEST_F(DestinationsTest, TheEnginesDestinationTypesNeedNoLibrary)
{
    auto* types = new TDestinationList(nullptr);
    types->LoadFromFile(QStringLiteral(MX_DEFINITIONS_DIR "/BDEDST32.MXF"));
    ASSERT_GT(types->Count(), 0);
    const int loads = platform::SharedLibrary::loadAttempts();
    int engines = 0;
    for (int i = 0; i < types->Count(); ++i) {
        TDestinationItem* type = types->Items(i);
        // The report type is the program's (its report layer registers the
        // module), not the engine's.
        if (type->DllName() == u"MXREPORT") {
            EXPECT_EQ(type->Output(), doReport);
            continue;
        }
        EXPECT_EQ(type->DllName(), QStringLiteral("MX32BDE")) << type->GetName().toStdString();
        ++engines;
        EXPECT_TRUE(GetDestDriver(type->DllName(), type->GetName())) << type->GetName().toStdString();
        EXPECT_TRUE(GetDestDriver(type->DllName().toLower(), type->GetName())) << type->GetName().toStdString();
    }
    EXPECT_EQ(engines, 4);
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), loads);
    types->Free();

    // A name the engine does not serve goes on to a library of the
    // module's name, whose absence is the loading error.
    try {
        GetDestDriver(QStringLiteral("MX32BDE"), QStringLiteral("Crystal"));
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_TRUE(ExceptionMessage(e).startsWith(QStringLiteral("Can not load library MX32BDE")))
            << ExceptionMessage(e).toStdString();
    }
}
