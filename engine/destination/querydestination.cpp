#include "querydestination.h"

#include "engine/core/exceptions.h"
#include "engine/core/file.h"
#include "engine/core/format.h"
#include "engine/core/userservice.h"
#include "engine/driver/dataset.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destproperties.h"
#include "engine/driver/stepreportdriver.h"
#include "engine/settings/global.h"
#include "engine/stream/filer.h"
#include "engine/tools/installation.h"

#include <QFileInfo>

#include <unordered_set>

namespace mx {
namespace {

// Every destination of the process, for the engine's shutdown. Never
// destroyed: the shutdown may run after static objects are gone.
std::unordered_set<TQueryDestinationItem*>& liveDestinations()
{
    static auto* set = new std::unordered_set<TQueryDestinationItem*>;
    return *set;
}

// The stored form of a settings object; false (and the reason) on failure.
bool storedForm(TIMxDestProperties* settings, QByteArray& bytes, QString& error)
{
    char* buffer = nullptr;
    qint32 size = 0;
    if (!settings->SaveToBuffer(buffer, size, &error))
        return false;
    try {
        bytes = QByteArray(buffer, size);
    } catch (...) {
        settings->FreeBuffer(buffer, size);
        throw;
    }
    settings->FreeBuffer(buffer, size);
    return true;
}

} // namespace

static void describeQueryDestinationItem(ClassBuilder<TQueryDestinationItem>& c)
{
    c.string(QStringLiteral("FileName"), &TQueryDestinationItem::FileName, &TQueryDestinationItem::SetFileName);
}

static void describeQueryDestinationList(ClassBuilder<TQueryDestinationList>& c)
{
    c.boolean(QStringLiteral("GenerateView"), &TQueryDestinationList::GenerateView, &TQueryDestinationList::SetGenerateView);
    c.items<TQueryDestinationItem>();
}

MX_DEFINE_CLASS(TQueryDestinationItem, TMxItem, describeQueryDestinationItem)
MX_DEFINE_CLASS(TQueryDestinationList, TMxList, describeQueryDestinationList)

void TQueryDestinationItem::SettingsRef::release() noexcept
{
    TIMxDestProperties* o = std::exchange(object, nullptr);
    try {
        if (o) {
            if (driver)
                driver->FreeProperties(o);
            else
                TMxItem::Free(o);
        }
    } catch (...) {
    }
    try {
        driver.reset();
    } catch (...) {
    }
}

TQueryDestinationItem::TQueryDestinationItem(TMxItem* owner) : TMxItem(owner)
{
    liveDestinations().insert(this);
}

TQueryDestinationItem::~TQueryDestinationItem()
{
    ReleaseSettings();
    liveDestinations().erase(this);
}

void TQueryDestinationItem::BeforeDestruction()
{
    ReleaseSettings();
}

void TQueryDestinationItem::ReleaseSettings() noexcept
{
    m_saved.release();
    m_savedBytes.clear();
    m_editing = false;
    m_settings.release();
}

void TQueryDestinationItem::SetFileName(const QString& value)
{
    if (value == m_fileName)
        return;
    m_fileName = value;
    Change();
}

TDestinationItem* TQueryDestinationItem::FindDestinationType() const
{
    TDestinationList* types = DestinationTypes();
    return types ? types->FindByName(GetName()) : nullptr;
}

TDestinationItem* TQueryDestinationItem::GetDestinationType()
{
    TDestinationItem* type = FindDestinationType();
    if (!type)
        throw Exception(TranslateFmt(QStringLiteral("Unknown destination %s"), {GetName()}));
    if (!m_settings.object)
        makeSettings(type);
    return type;
}

void TQueryDestinationItem::makeSettings(TDestinationItem* type)
{
    std::shared_ptr<TIMxDestDriver> driver = type->GetDriver();
    TIMxDestProperties* settings = driver->CreateProperties();
    if (!settings)
        throw Exception(TranslateFmt(QStringLiteral("Driver %s not found in %s"), {type->GetName(), type->DllName()}));
    m_settings.object = settings;
    m_settings.driver = std::move(driver);
    if (m_hasKept) {
        // Settings read while the driver was missing: they are the driver's now.
        QString error;
        if (!settings->LoadFromBuffer(m_kept.constData(), qint32(m_kept.size()), &error))
            UserService().Warning(
                TranslateFmt(QStringLiteral("Paramètres illisibles pour la destination %s : %s"), {GetName(), error}));
        m_kept.clear();
        m_hasKept = false;
    }
}

QString TQueryDestinationItem::GetFileName() const
{
    if (m_fileName.isEmpty())
        return m_fileName;
    QString name = m_fileName;
    auto* list = dynamic_cast<TQueryDestinationList*>(OwnerList());
    const bool view = list && list->GenerateView();
    if (!FileNameHasFolder(name) && !view)
        name.prepend(OutputFolder());
    if (FileNameExtension(name).isEmpty()) {
        TDestinationItem* type = FindDestinationType();
        if (!type)
            throw Exception(TranslateFmt(QStringLiteral("Unknown destination %s"), {GetName()}));
        name += u'.' + type->Extension();
    }
    return name;
}

QString TQueryDestinationItem::OutputFolder() const
{
    const bool readsFile = m_settings.driver && m_settings.driver->ReadsItsFile();
    const QString privateFolder = readsFile ? QString() : PrivateQueryFolder();
    if (!privateFolder.isEmpty())
        return privateFolder;
    // The query file is the first file among the owners (the destination
    // list, its step, the step list, the query).
    for (const TMxItem* owner = Owner(); owner; owner = owner->Owner()) {
        if (const auto* file = dynamic_cast<const TMxFile*>(owner)) {
            if (file->FileName().isEmpty())
                return {};
            return IncludeBackslash(QFileInfo(file->FileName()).absolutePath());
        }
    }
    return {};
}

QString TQueryDestinationItem::SentFileName() const
{
    TDestinationItem* type = FindDestinationType();
    if (!type)
        throw Exception(TranslateFmt(QStringLiteral("Unknown destination %s"), {GetName()}));
    return type->MakeFileName(GetFileName(), OutputFolder());
}

void TQueryDestinationItem::send(DriverOperation operation, TIMxDataset* dataset)
{
    GetDestinationType();
    const QString fileName = SentFileName();
    std::shared_ptr<TIMxDestDriver> driver = m_settings.driver;
    // A driver that prints the step's own report gets the destination,
    // and through it the step.
    auto* stepReports = operation == &TIMxDestDriver::Print ? dynamic_cast<TIMxStepReportDriver*>(driver.get()) : nullptr;
    const int recNo = dataset ? dataset->GetRecNo() : 0;
    try {
        if (stepReports)
            stepReports->PrintStepReport(m_settings.object, fileName, *this, dataset);
        else
            ((*driver).*operation)(m_settings.object, fileName, dataset);
    } catch (...) {
        if (dataset) {
            try {
                dataset->SetRecNo(recNo);
            } catch (...) {
            }
        }
        throw;
    }
    if (dataset)
        dataset->SetRecNo(recNo);
}

void TQueryDestinationItem::Print(TIMxDataset* dataset)
{
    send(&TIMxDestDriver::Print, dataset);
}

void TQueryDestinationItem::Customize(TIMxDataset* dataset)
{
    send(&TIMxDestDriver::Customize, dataset);
}

void TQueryDestinationItem::View(TIMxDataset* dataset)
{
    send(&TIMxDestDriver::View, dataset);
}

void TQueryDestinationItem::Export(TIMxDataset* dataset)
{
    send(&TIMxDestDriver::Export, dataset);
}

TQueryDestinationItem::SettingsRef TQueryDestinationItem::copyOf(const SettingsRef& source)
{
    SettingsRef copy;
    if (!source.object)
        return copy;
    copy.driver = source.driver;
    copy.object = source.object->Clone();
    if (copy.object)
        return copy;
    // No copy from the settings themselves: through their stored form.
    QByteArray bytes;
    QString error;
    if (!storedForm(source.object, bytes, error))
        throw EMxException(error);
    copy.object = source.driver ? source.driver->CreateProperties() : new TIMxDestProperties(nullptr);
    if (!copy.object)
        throw EMxException(QStringLiteral("No settings object"));
    if (!copy.object->LoadFromBuffer(bytes.constData(), qint32(bytes.size()), &error)) {
        copy.release();
        throw EMxException(error);
    }
    return copy;
}

void TQueryDestinationItem::BeginEdit()
{
    DiscardEdit();
    if (m_hasKept)
        return; // kept as stored: nothing the dialog can change
    try {
        GetDestinationType();
    } catch (const std::exception&) {
        return; // no type or no driver: nothing to edit
    }
    TIMxDestProperties* clone = m_settings.object->Clone();
    if (clone) {
        m_saved.object = clone;
        m_saved.driver = m_settings.driver;
    } else {
        QString error;
        if (!storedForm(m_settings.object, m_savedBytes, error))
            throw EMxException(TranslateFmt(QStringLiteral("Impossible de copier les paramètres de la destination %s : %s"), {GetName(), error}));
    }
    m_editing = true;
}

void TQueryDestinationItem::CommitEdit()
{
    if (!m_editing)
        return;
    if (m_saved.object) {
        m_settings.release();
        m_settings = std::exchange(m_saved, SettingsRef());
    } else if (m_settings.driver) {
        TIMxDestProperties* restored = m_settings.driver->CreateProperties();
        QString error;
        if (!restored || !restored->LoadFromBuffer(m_savedBytes.constData(), qint32(m_savedBytes.size()), &error)) {
            if (restored)
                m_settings.driver->FreeProperties(restored);
            throw EMxException(TranslateFmt(QStringLiteral("Impossible de rétablir les paramètres de la destination %s : %s"), {GetName(), error}));
        }
        m_settings.driver->FreeProperties(std::exchange(m_settings.object, restored));
    }
    m_savedBytes.clear();
    m_editing = false;
}

void TQueryDestinationItem::DiscardEdit()
{
    m_saved.release();
    m_savedBytes.clear();
    m_editing = false;
}

void TQueryDestinationItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* s = dynamic_cast<const TQueryDestinationItem*>(source);
    if (!s || s == this)
        return;
    SetFileName(s->FileName());
    SettingsRef copy = copyOf(s->m_settings);
    DiscardEdit();
    m_settings.release();
    m_settings = std::move(copy);
    m_kept = s->m_kept;
    m_hasKept = s->m_hasKept;
}

void TQueryDestinationItem::DefineProperties(TFiler& filer)
{
    TMxItem::DefineProperties(filer);
    const bool hasData = m_hasKept || (m_settings.object && m_settings.object->HasData());
    filer.DefineBinaryProperty(
        QStringLiteral("BinProp"), [this](const QByteArray& bytes) { readSettings(bytes); },
        [this](QByteArray& bytes) { writeSettings(bytes); }, hasData);
}

void TQueryDestinationItem::readSettings(const QByteArray& bytes)
{
    QString why;
    try {
        GetDestinationType();
    } catch (const std::exception& e) {
        why = ExceptionMessage(e);
    }
    if (!m_settings.object) {
        // Without its type or driver the block cannot be read: keep it as
        // it is, so that saving the query does not lose it.
        m_kept = bytes;
        m_hasKept = true;
        UserService().Warning(TranslateFmt(
            QStringLiteral("Les paramètres de la destination %s sont conservés sans être lus : %s"), {GetName(), why}));
        return;
    }
    QString error;
    if (!m_settings.object->LoadFromBuffer(bytes.constData(), qint32(bytes.size()), &error))
        UserService().Warning(
            TranslateFmt(QStringLiteral("Paramètres illisibles pour la destination %s : %s"), {GetName(), error}));
}

void TQueryDestinationItem::writeSettings(QByteArray& bytes)
{
    if (m_hasKept) {
        bytes = m_kept;
        return;
    }
    if (!m_settings.object)
        return;
    QString error;
    if (!storedForm(m_settings.object, bytes, error))
        throw EMxException(TranslateFmt(
            QStringLiteral("Impossible d'enregistrer les paramètres de la destination %s : %s"), {GetName(), error}));
}

// ---------------------------------------------------------------------------

TQueryDestinationList::TQueryDestinationList(TMxItem* owner) : TMxTypedList<TQueryDestinationItem>(owner) {}

void TQueryDestinationList::SetGenerateView(bool value)
{
    if (value == m_generateView)
        return;
    m_generateView = value;
    Change();
}

void TQueryDestinationList::SetViewPrefixes(const QString& queryPrefix, const QString& userPrefix)
{
    m_queryViewPrefix = queryPrefix;
    m_userViewPrefix = userPrefix;
}

bool TQueryDestinationList::IsValidViewPrefix(const QString& prefix)
{
    for (QChar c : prefix) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
        if (!ok)
            return false;
    }
    return true;
}

QString TQueryDestinationList::GetViewName() const
{
    if (m_generateView) {
        for (const QString* prefix : {&m_queryViewPrefix, &m_userViewPrefix})
            if (!IsValidViewPrefix(*prefix))
                throw EMxException(TranslateFmt(QStringLiteral("Préfixe de vue incorrect : %s"), {*prefix}));
        TMxItem* step = Owner();
        return Format(QStringLiteral("_MX_%s_%s_%d"), {m_queryViewPrefix, m_userViewPrefix, step ? step->Id() : 0});
    }
    for (int i = 0; i < Count(); ++i) {
        TQueryDestinationItem* destination = Items(i);
        if (!destination->HasFileName())
            continue;
        TDestinationItem* type = destination->FindDestinationType();
        if (type && type->Output() == doTable)
            return destination->GetFileName();
    }
    return {};
}

// The output of a destination's type; an unknown type raises.
static TDestinationOutput outputOf(const TQueryDestinationItem* destination)
{
    TDestinationItem* type = destination->FindDestinationType();
    if (!type)
        throw Exception(TranslateFmt(QStringLiteral("Unknown destination %s"), {destination->GetName()}));
    return type->Output();
}

void TQueryDestinationList::Execute(TIMxDataset* dataset)
{
    ExecuteFileOutputs(dataset);
    ExecuteReports(dataset);
}

void TQueryDestinationList::ExecuteFileOutputs(TIMxDataset* dataset)
{
    for (int i = 0; i < Count(); ++i) {
        TQueryDestinationItem* destination = Items(i);
        if (!destination->HasFileName())
            continue;
        const TDestinationOutput output = outputOf(destination);
        if (output == doFile || output == doTable)
            destination->Export(dataset);
    }
}

void TQueryDestinationList::ExecuteReports(TIMxDataset* dataset)
{
    for (int i = 0; i < Count(); ++i) {
        TQueryDestinationItem* destination = Items(i);
        if (!destination->HasFileName())
            continue;
        if (outputOf(destination) == doReport)
            destination->Print(dataset);
    }
}

void TQueryDestinationList::BeginEdit()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->BeginEdit();
}

void TQueryDestinationList::CommitEdit()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->CommitEdit();
}

void TQueryDestinationList::DiscardEdit()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->DiscardEdit();
}

void TQueryDestinationList::Assign(const TPersistent* source)
{
    TMxList::Assign(source);
    if (auto* s = dynamic_cast<const TQueryDestinationList*>(source)) {
        SetGenerateView(s->GenerateView());
        m_queryViewPrefix = s->m_queryViewPrefix;
        m_userViewPrefix = s->m_userViewPrefix;
    }
}

void ReleaseAllDestinationSettings() noexcept
{
    const auto live = liveDestinations();
    for (TQueryDestinationItem* destination : live)
        destination->ReleaseSettings();
}

} // namespace mx
