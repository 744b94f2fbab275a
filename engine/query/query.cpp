#include "query.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/itemptr.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/table.h"
#include "engine/settings/global.h"

#include <QDir>
#include <QFileInfo>

namespace mx {

static void describeQuery(ClassBuilder<TMxQuery>& c)
{
    using Q = TMxQuery;
    // Every value is written, whatever it holds.
    c.string(QStringLiteral("DmFilename"), &Q::DmFilename, &Q::SetDmFilename);
    c.integer(QStringLiteral("DomId"), &Q::DomId, &Q::SetDomId, std::nullopt);
    c.integer(QStringLiteral("User"), &Q::User, &Q::SetUser, std::nullopt);
    c.boolean(QStringLiteral("OptionsDumpTables"), &Q::OptionsDumpTables, &Q::SetOptionsDumpTables, std::nullopt);
    c.boolean(QStringLiteral("OptionsPrintAuto"), &Q::OptionsPrintAuto, &Q::SetOptionsPrintAuto, std::nullopt);
    c.object(QStringLiteral("Informations"), &Q::Informations);
    c.string(QStringLiteral("ViewPrefix"), &Q::ViewPrefix, &Q::SetViewPrefix);
    c.object(QStringLiteral("PositionStrings"), &Q::PositionStrings);
    c.object(QStringLiteral("Params"), &Q::Params);
    c.object(QStringLiteral("ParamControls"), &Q::ParamControls);
    c.object(QStringLiteral("Steps"), &Q::Steps).readOnly();
}
MX_DEFINE_CLASS(TMxQuery, TMxFile, describeQuery)

TMxQuery::TMxQuery(TMxItem* owner)
    : TMxFile(owner)
    , m_informations(std::make_unique<TStrings>())
    , m_positionStrings(std::make_unique<TStrings>())
{
    m_params.reset(new TMxParamList(this));
    m_paramControls.reset(new TMxParamControlList(this));
    m_steps.reset(new TMxQueryStepList(this));
}

TMxQuery::~TMxQuery()
{
    BeforeDestruction();
}

void TMxQuery::BeforeDestruction()
{
    // each pointer is cleared before its list is freed
    m_paramControls.reset();
    m_params.reset();
    m_informations.reset();
    m_positionStrings.reset();
    m_steps.reset();
    freeModel();
}

void TMxQuery::freeModel()
{
    TMxDataModel* model = std::exchange(m_model, nullptr);
    if (m_ownsModel)
        TMxItem::Free(model);
    m_ownsModel = false;
}

void TMxQuery::SetDmFilename(const QString& value)
{
    if (value == m_dmFilename)
        return;
    m_dmFilename = value;
    Change();
}

void TMxQuery::SetDomId(int value)
{
    const bool changed = value != m_domId;
    m_domId = value;
    if (!HasState(stLoading) && m_steps)
        for (TMxItem* s : *m_steps)
            static_cast<TMxQueryStep*>(s)->ApplyDomain(value);
    if (changed)
        Change();
}

void TMxQuery::SetUser(int value)
{
    if (value == m_user)
        return;
    m_user = value;
    Change();
}

void TMxQuery::SetOptionsDumpTables(bool value)
{
    if (value == m_optionsDumpTables)
        return;
    m_optionsDumpTables = value;
    Change();
}

void TMxQuery::SetOptionsPrintAuto(bool value)
{
    if (value == m_optionsPrintAuto)
        return;
    m_optionsPrintAuto = value;
    Change();
}

void TMxQuery::SetViewPrefix(const QString& value)
{
    if (value == m_viewPrefix)
        return;
    m_viewPrefix = value;
    Change();
}

void TMxQuery::SetLogin(const QString& userName, const QString& password)
{
    m_loginName = userName;
    m_loginPassword = password;
}

QString TMxQuery::GetCaption() const
{
    if (!GetName().isEmpty())
        return GetName();
    if (!FileName().isEmpty())
        return FileName();
    return Translate(QStringLiteral("Nouvelle Requête"));
}

TMxDomain* TMxQuery::GetDomain() const
{
    return m_model ? m_model->Domains()->FindById(m_domId) : nullptr;
}

void TMxQuery::SetDataModel(TMxDataModel* model, bool owned)
{
    if (model == m_model) {
        m_ownsModel = owned;
        return;
    }
    freeModel();
    m_model = model;
    m_ownsModel = model && owned;
}

TDbEngDatasourceList* TMxQuery::DatasourceList() const
{
    return m_datasources ? m_datasources : Datasources();
}

TMxQueryStep* TMxQuery::AddStep()
{
    if (!m_model)
        throw EMxInternal(QStringLiteral("DataModel not assigned"));
    BeginUpdate();
    TItemPtr<TMxQueryStep> step;
    try {
        TMxQueryStep* previous = m_steps->Count() > 0 ? m_steps->Last() : nullptr;
        const int id = m_steps->NextId();
        step.reset(new TMxQueryStep(m_steps.get()));
        step->SetId(id);
        const TMxDataModel* source = previous && previous->DataModel() ? previous->DataModel() : m_model;
        step->SetDataModel(static_cast<TMxDataModel*>(source->Clone(nullptr)));
        step->ApplyDomain(m_domId);
        m_steps->NotifyAdd(step.get());
    } catch (...) {
        step.reset();
        EndUpdate();
        throw;
    }
    EndUpdate();
    return step.release(); // the step list owns it
}

void TMxQuery::Prepare(bool design)
{
    if (HasState(stDestroying))
        return;
    TParamModeScope mode(this, design ? TParamMode::Design : TParamMode::Run);
    if (m_steps->Count() == 0)
        throw EMxAbort(Translate(QStringLiteral("Query is empty")));
    for (int i = 0; i < m_steps->Count(); ++i)
        m_steps->Items(i)->PrepareStep();
    if (OnSQLChange)
        OnSQLChange(this);
}

// ---- files ---------------------------------------------------------------

namespace {

QString folderOf(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.absoluteDir().canonicalPath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absolutePath()) : canonical;
}

bool hasFolder(const QString& fileName)
{
    return FileNameHasFolder(fileName);
}

QString bareName(const QString& fileName)
{
    const qsizetype cut = std::max(fileName.lastIndexOf(u'/'), std::max(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u':')));
    return cut >= 0 ? fileName.mid(cut + 1) : fileName;
}

// The model's name as the query stores it: bare when the model lies in the
// query's folder.
QString storedModelName(const QString& modelFile, const QString& queryFile)
{
    if (!modelFile.isEmpty() && !queryFile.isEmpty() && folderOf(modelFile) == folderOf(queryFile))
        return QFileInfo(modelFile).fileName();
    return modelFile;
}

} // namespace

void TMxQuery::fixDestinations()
{
    TDestinationList* types = DestinationTypes();
    if (!types)
        return;
    for (int t = 0; t < types->Count(); ++t) {
        const QString name = types->Items(t)->GetName();
        for (TMxItem* s : *m_steps) {
            TQueryDestinationList* destinations = static_cast<TMxQueryStep*>(s)->Destinations();
            if (!destinations->FindByName(name, Qt::CaseSensitive)) {
                auto* d = new TQueryDestinationItem(destinations);
                d->SetName(name);
            }
        }
    }
}

void TMxQuery::openModel()
{
    if (m_model)
        return;
    if (m_dmFilename.isEmpty())
        throw EMxBadDatamodel(TranslateFmt(QStringLiteral("La requête %s ne nomme pas de modèle de données."), {GetCaption()}));
    // The model is looked for next to the query first: a query and its
    // model moved together still open.
    const QString queryFolder = folderOf(FileName());
    QString name = m_dmFilename;
    const QString nextToQuery = QDir(queryFolder).filePath(bareName(m_dmFilename));
    if (!hasFolder(m_dmFilename) || (!QFileInfo::exists(m_dmFilename) && QFileInfo::exists(nextToQuery)))
        name = nextToQuery;
    if (!QFileInfo::exists(name) && !LocateFileHook)
        throw EMxFileNotFound(TranslateFmt(QStringLiteral("File not found %s"), {name}));
    // A model moved elsewhere is looked for in the query's folder first,
    // for this load only.
    ScopedLocateRecord locate({queryFolder.endsWith(u'/') ? queryFolder : queryFolder + u'/', true, true});
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    if (!m_loginName.isEmpty())
        model->Open(name, m_loginName, m_loginPassword);
    else
        model->LoadFromFile(name);
    m_model = model.release();
    m_ownsModel = true;
    const QString stored = storedModelName(m_model->FileName(), FileName());
    if (stored != m_dmFilename && m_model->FileName() != m_dmFilename) {
        m_dmFilename = stored;
        MarkModified();
    }
}

void TMxQuery::giveStepsModels()
{
    const TMxDataModel* previous = m_model;
    for (TMxItem* s : *m_steps) {
        auto* step = static_cast<TMxQueryStep*>(s);
        step->SetDataModel(static_cast<TMxDataModel*>(previous->Clone(nullptr)));
        previous = step->DataModel();
    }
}

void TMxQuery::LoadFromFile(const QString& fileName)
{
    TMxFile::LoadFromFile(fileName);
    // The fix-ups below change nothing the user did: the query stays
    // unmodified unless its model had to be looked for elsewhere.
    const bool wasLoading = HasState(stLoading);
    SetState(stLoading, true);
    try {
        fixDestinations();
        SetState(stLoading, wasLoading);
        openModel();
        SetState(stLoading, true);
        giveStepsModels();
        SetState(stLoading, wasLoading);
        SetDomId(m_domId);
    } catch (...) {
        SetState(stLoading, wasLoading);
        throw;
    }
}

void TMxQuery::SaveToFile(const QString& fileName)
{
    const bool wasModified = Modified();
    const QString formerName = m_dmFilename;
    if (m_model && !m_model->FileName().isEmpty())
        SetDmFilename(storedModelName(m_model->FileName(), fileName));
    if (GetName() == u"Default Morvelin Query" && m_steps->Count() > 0)
        m_steps->Items(0)->Destinations()->Clear();
    try {
        TMxFile::SaveToFile(fileName);
    } catch (...) {
        m_dmFilename = formerName;
        SetModified(wasModified);
        throw;
    }
}

} // namespace mx
