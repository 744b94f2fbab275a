// Parameters, parameter controls and their stored fonts and pictures; the
// value lists read through the database driver.

#include "modeltest.h"
#include "tests/support/samplemodel.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/core/hookslot.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/modelhooks.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/table.h"
#include "engine/tools/hooks.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <optional>

using namespace mx;
using namespace mxtest;

namespace {

QByteArray bmpBytes()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setPixel(1, 1, qRgb(0, 0, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

TMxParamControl* addControl(TMxParamControlList* list, TDlgControlKind kind, const char* param)
{
    TMxParamControl* c = list->AddNew();
    c->SetKind(kind);
    c->SetParamName(QString::fromLatin1(param));
    return c;
}

} // namespace

TEST(Params, IdentifierKeepsLettersDigitsUnderscore)
{
    TItemPtr<TMxParam> p(new TMxParam(nullptr));
    const struct {
        const char* name;
        const char* id;
    } cases[] = {{"Date début-fin", "Datedbutfin"}, {"Seuil_2", "Seuil_2"}, {"é è", ""}, {"a.b;c", "abc"}};
    for (const auto& c : cases) {
        p->SetName(QString::fromUtf8(c.name));
        EXPECT_EQ(p->GetIdentifier(), QString::fromLatin1(c.id)) << c.name;
    }
    EXPECT_EQ(p->Entry(), QChar(u'S'));
    EXPECT_EQ(p->ParamType(), ptString);
}

TEST(ParamControls, FindByParamNamePrefersAnswers)
{
    TItemPtr<TMxParamControlList> list(new TMxParamControlList(nullptr));
    TMxParamControl* label = addControl(list.get(), ckLabel, "Ville");
    TMxParamControl* edit = addControl(list.get(), ckEdit, "VILLE");
    TMxParamControl* combo = addControl(list.get(), ckCombo, "ville");
    addControl(list.get(), ckEdit, "Seuil");
    EXPECT_EQ(list->FindByParamName(QStringLiteral("Ville")), edit);
    combo->LoadedValues()->Add(QStringLiteral("Paris"));
    EXPECT_EQ(list->FindByParamName(QStringLiteral("Ville")), combo);
    label->LoadedValues()->Add(QStringLiteral("Lyon")); // labels never answer
    EXPECT_EQ(list->FindByParamName(QStringLiteral("VILLE")), combo);
    EXPECT_EQ(list->FindByParamName(QStringLiteral("Pays")), nullptr);
}

TEST(ParamControls, CaptionFollowsTheParameterName)
{
    TItemPtr<TMxParamControl> c(new TMxParamControl(nullptr));
    c->SetParamName(QStringLiteral("Ville"));
    EXPECT_TRUE(c->Caption().isEmpty()); // an empty name was not the caption
    c->SetCaption(QStringLiteral("Ville"));
    c->SetParamName(QStringLiteral("Commune"));
    EXPECT_EQ(c->Caption(), QStringLiteral("Commune"));
    c->SetCaption(QStringLiteral("Choisissez"));
    c->SetParamName(QStringLiteral("Ville"));
    EXPECT_EQ(c->Caption(), QStringLiteral("Choisissez"));
}

TEST(ParamControls, ExecuteThroughThePrompter)
{
    TItemPtr<TMxParamControlList> list(new TMxParamControlList(nullptr));
    TStrings values;
    EXPECT_FALSE(list->Execute(nullptr, QStringLiteral("Paramètres"), values, false));

    TItemPtr<TMxDataModel> model(MakeSampleModel());
    QStringList seen;
    ScopedHook guard(ParamsPrompterHook, [&](TMxDataModel* m, const QString& caption, bool& ok, TStrings* l, TMxParamControlList* c, bool test) {
        seen << caption << QString::number(ok) << QString::number(m == model.get()) << QString::number(l == &values)
             << QString::number(c == list.get()) << QString::number(test);
        ok = false;
    });
    EXPECT_FALSE(list->Execute(model.get(), QStringLiteral("Paramètres"), values, true));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Paramètres"), "1", "1", "1", "1", "1"}));
}

class ControlStreams : public EngineTest {};

TEST_F(ControlStreams, FontAndPictureSurviveTheObjectFile)
{
    TItemPtr<TMxParamControlList> list(new TMxParamControlList(nullptr));
    list->SetDesignW(520);
    TMxParamControl* image = addControl(list.get(), ckImage, "");
    image->SetCaption(QStringLiteral("Logo"));
    image->SetDesignX(8);
    image->SetDesignW(64);
    image->Font()->SetName(QStringLiteral("DejaVu Sans"));
    image->Font()->SetSize(11);
    image->Font()->SetStyle(FontStyle(fsBold) | FontStyle(fsItalic));
    image->Font()->SetColor(0x0000FF);
    const QByteArray bmp = bmpBytes();
    image->Picture()->SetImage(bmp);
    TMxParamControl* combo = addControl(list.get(), ckCombo, "Ville");
    combo->SetValues(TStrings{QStringLiteral("Lyon"), QStringLiteral("Paris")});
    combo->SetAllowMultiSelect(true);
    combo->SetCaptionAlign(caTop);
    combo->LoadedValues()->Add(QStringLiteral("Paris")); // answers are not stored

    TItemPtr<TMxParamControlList> back = RoundTrip(list.get());
    EXPECT_EQ(back->DesignW(), 520);
    EXPECT_EQ(back->DesignH(), 300);
    ASSERT_EQ(back->Count(), 2);
    TMxParamControl* img = back->Items(0);
    EXPECT_EQ(img->Kind(), ckImage);
    EXPECT_TRUE(*img->Font() == *image->Font());
    EXPECT_EQ(img->Font()->Style(), FontStyle(fsBold) | FontStyle(fsItalic));
    EXPECT_EQ(img->Picture()->GraphicClass(), QStringLiteral("TBitmap"));
    EXPECT_EQ(img->Picture()->ImageBytes(), bmp);
    QBuffer buffer;
    buffer.setData(img->Picture()->ImageBytes());
    QImageReader reader(&buffer);
    const QImage decoded = reader.read();
    ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(decoded.size(), QSize(3, 2));
    EXPECT_EQ(decoded.pixel(1, 1), qRgb(0, 0, 255));
    TMxParamControl* cb = back->Items(1);
    EXPECT_EQ(cb->Values()->toStringList(), (QStringList{QStringLiteral("Lyon"), QStringLiteral("Paris")}));
    EXPECT_TRUE(cb->AllowMultiSelect());
    EXPECT_EQ(cb->CaptionAlign(), caTop);
    EXPECT_EQ(cb->LoadedValues()->Count(), 0);
    EXPECT_TRUE(cb->Picture()->IsEmpty());
    EXPECT_EQ(cb->Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(cb->Font()->Size(), 8);
    EXPECT_EQ(back->SaveToBytes(), list->SaveToBytes());
}

TEST_F(ControlStreams, FontOfOtherToolsReadsByHeight)
{
    // Charset, Height and Pitch are accepted; Height gives the size
    TItemPtr<TMxParamControl> c(new TMxParamControl(nullptr));
    c->Font()->SetHeight(-11);
    EXPECT_EQ(c->Font()->Size(), 8);
    c->Font()->SetHeight(-16);
    EXPECT_EQ(c->Font()->Size(), 12);
    const QByteArray bytes = c->SaveToBytes();
    EXPECT_FALSE(bytes.contains("Font.Height"));
    EXPECT_TRUE(bytes.contains("Font.Size"));
    EXPECT_TRUE(bytes.contains("Font.Color"));
}

TEST_F(ControlStreams, UnknownGraphicIsWrittenBackUnchanged)
{
    TItemPtr<TMxParamControlList> list(new TMxParamControlList(nullptr));
    TMxParamControl* c = addControl(list.get(), ckImage, "");
    QByteArray data;
    data.append(char(10)).append("TJPEGImage").append(QByteArray("\x00\x01\x02\xFF raw bytes of another tool", 30));
    c->Picture()->FromData(data);
    EXPECT_FALSE(c->Picture()->IsKnownGraphic());
    EXPECT_TRUE(c->Picture()->ImageBytes().isEmpty());
    TItemPtr<TMxParamControlList> back = RoundTrip(list.get());
    EXPECT_EQ(back->Items(0)->Picture()->ToData(), data);
    EXPECT_EQ(back->SaveToBytes(), list->SaveToBytes());
}

TEST_F(ControlStreams, DamagedPictureDataIsRefused)
{
    TItemPtr<TMxParamControl> c(new TMxParamControl(nullptr));
    QByteArray longName;
    longName.append(char(200)).append(QByteArray(200, 'T')).append("rest");
    EXPECT_THROW(c->Picture()->FromData(longName), EReadError);
    QByteArray shortImage;
    shortImage.append(char(7)).append("TBitmap").append(QByteArray("\xFF\x00\x00\x00" "abc", 7));
    EXPECT_THROW(c->Picture()->FromData(shortImage), EReadError);
    EXPECT_TRUE(c->Picture()->IsEmpty());

    // inside a file: the class-name length byte says 200
    c->Picture()->SetImage(bmpBytes());
    QByteArray bytes = c->SaveToBytes();
    const qsizetype at = bytes.indexOf(QByteArray("\x07TBitmap", 8));
    ASSERT_GT(at, 0);
    bytes[at] = char(200);
    TItemPtr<TMxParamControl> reread(new TMxParamControl(nullptr));
    EXPECT_THROW(reread->LoadFromStream(bytes), EReadError);
}

namespace {

// A dataset of values, recording what it was asked.
class ListCursor : public TFieldValueCursor {
public:
    explicit ListCursor(QStringList rows) : m_rows(std::move(rows)) {}
    void First() override { m_pos = 0; }
    bool Eof() const override { return m_pos >= m_rows.size(); }
    QString FirstColumn() const override { return m_rows[m_pos]; }
    void Next() override { ++m_pos; }

private:
    QStringList m_rows;
    qsizetype m_pos = -1;
};

class BusyRecorder : public TRecordingUserService {
public:
    void SetBusy(bool busy) override { busyLog << (busy ? QStringLiteral("on") : QStringLiteral("off")); }
    QStringList busyLog;
};

class FillValues : public ::testing::Test {
protected:
    FillValues()
        : m_scope(&m_service)
        , m_model(MakeSampleModel())
        , m_dialects(ModelDatasourceHook,
              [](const QString& name, TSQLSyntaxProperties& s) {
                  if (name.compare(QStringLiteral("STANDARD"), Qt::CaseInsensitive) != 0 && !name.isEmpty())
                      return false;
                  s = Dialect(0, QString(), QStringLiteral("'"));
                  s.LimitRowsSyntax = QStringLiteral("STANDARD");
                  return true;
              })
        , m_driver(ModelFieldValuesHook, [this](const TFieldValuesRequest& r) -> std::unique_ptr<TFieldValueCursor> {
            requests << r.DatabaseName + u'|' + r.TableName + u'|' + r.FieldName + u'|' + r.UserName + u'|' + r.Password + u'|'
                    + r.Syntax.LimitRowsSyntax;
            if (!rows)
                return nullptr;
            return std::make_unique<ListCursor>(*rows);
        })
    {
        m_control = m_controls->AddNew();
        m_control->SetKind(ckCombo);
        m_control->SetTableId(SampleModel::ClientId);
        m_control->SetFieldName(QStringLiteral("VILLE"));
        m_control->SetFieldFullName(QStringLiteral("Ville"));
        m_control->AddHook(this, [this](TMxItem*) { ++changes; });
    }
    ~FillValues() override { m_control->RemoveHook(this); }

    BusyRecorder m_service;
    ScopedUserService m_scope;
    TItemPtr<TMxDataModel> m_model;
    ScopedHook<decltype(ModelDatasourceHook)> m_dialects;
    ScopedHook<decltype(ModelFieldValuesHook)> m_driver;
    TItemPtr<TMxParamControlList> m_controls{new TMxParamControlList(nullptr)};
    TMxParamControl* m_control = nullptr;
    std::optional<QStringList> rows = QStringList{QStringLiteral("Lyon"), QStringLiteral("Paris"), QString()};
    QStringList requests;
    int changes = 0;
};

} // namespace

TEST_F(FillValues, DistinctValuesUpToTheLimit)
{
    const struct {
        int max;
        QStringList expected;
    } cases[] = {
        {100, {QStringLiteral("Lyon"), QStringLiteral("Paris"), QString()}},
        {2, {QStringLiteral("Lyon"), QStringLiteral("Paris")}},
        {0, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        changes = 0;
        m_control->FillValues(m_model.get(), c.max);
        EXPECT_EQ(m_control->Values()->toStringList(), c.expected) << c.max;
        EXPECT_EQ(changes, 1) << c.max;
    }
    EXPECT_EQ(requests.first(), QStringLiteral("VENTES|CLIENT|VILLE|ventes|motdepasse-base|STANDARD"));
    EXPECT_TRUE(m_service.warnings.isEmpty());
    EXPECT_EQ(m_service.busyLog.count(QStringLiteral("on")), 4);
    EXPECT_EQ(m_service.busyLog.last(), QStringLiteral("off"));
}

TEST_F(FillValues, FieldIsFoundInItsOwnTable)
{
    // NUMCLI is in both tables: the control's table decides
    m_control->SetTableId(SampleModel::CommandeId);
    m_control->SetFieldName(QStringLiteral("NUMCLI"));
    m_control->FillValues(m_model.get(), 10);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].startsWith(QStringLiteral("VENTES|COMMANDE|NUMCLI|")));

    // MONTANT is not a field of CLIENT
    m_control->SetTableId(SampleModel::ClientId);
    m_control->SetFieldName(QStringLiteral("MONTANT"));
    m_control->SetFieldFullName(QStringLiteral("Montant"));
    m_control->FillValues(m_model.get(), 10);
    EXPECT_EQ(requests.size(), 1);
    EXPECT_EQ(m_service.warnings, QStringList{QStringLiteral("Le champ Montant n'existe pas dans le modèle de données")});
    EXPECT_EQ(m_control->Values()->Count(), 0);
}

TEST_F(FillValues, WhatIsMissingIsWarnedNotCrashed)
{
    m_control->Values()->Add(QStringLiteral("ancienne valeur"));
    // the database item is gone
    m_model->Databases()->Items(0)->Free();
    m_control->FillValues(m_model.get(), 10);
    EXPECT_EQ(m_control->Values()->Count(), 0);
    ASSERT_EQ(m_service.warnings.size(), 1);
    EXPECT_TRUE(m_service.warnings[0].contains(QStringLiteral("VENTES"))) << m_service.warnings[0].toStdString();

    // the table is gone (its catalogue fields remain until rebuilt)
    m_model->Tables()->FindById(SampleModel::ClientId)->Free();
    m_control->FillValues(m_model.get(), 10);
    ASSERT_EQ(m_service.warnings.size(), 2);
    EXPECT_TRUE(m_service.warnings[1].startsWith(QStringLiteral("La table"))) << m_service.warnings[1].toStdString();
    EXPECT_TRUE(requests.isEmpty());
    m_control->FillValues(nullptr, 10);
}

TEST_F(FillValues, UnknownDriverUsesStandardAndNoDialectWarns)
{
    m_model->Databases()->Items(0)->SetDriverName(QStringLiteral("INCONNU"));
    m_control->FillValues(m_model.get(), 10);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].endsWith(QStringLiteral("|STANDARD")));
    {
        ScopedHook none(ModelDatasourceHook, nullptr);
        m_control->FillValues(m_model.get(), 10);
    }
    EXPECT_EQ(requests.size(), 1);
    EXPECT_EQ(m_service.warnings.size(), 1);
}

TEST_F(FillValues, DriverWithoutDatasetStillRestoresTheCursor)
{
    rows.reset();
    m_control->FillValues(m_model.get(), 10);
    EXPECT_EQ(requests.size(), 1);
    EXPECT_EQ(m_control->Values()->Count(), 0);
    EXPECT_EQ(m_service.busyLog, (QStringList{QStringLiteral("on"), QStringLiteral("off")}));
    EXPECT_EQ(changes, 1);
}
