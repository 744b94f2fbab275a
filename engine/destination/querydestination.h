#pragma once
// The destinations of one query step: one per destination type, each with
// the file name the user chose (empty: off) and the settings its driver
// keeps. A settings object is always freed by the driver that made it.

#include "destinationtype.h"

#include <QByteArray>

#include <memory>

namespace mx {

class TIMxDataset;
class TIMxDestDriver;
class TIMxDestProperties;

class TQueryDestinationItem : public TMxItem {
    MX_CLASS(TQueryDestinationItem)
public:
    explicit TQueryDestinationItem(TMxItem* owner = nullptr);
    ~TQueryDestinationItem() override;

    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& value);

    // The settings, none until the type's driver made them.
    TIMxDestProperties* Settings() const { return m_settings.object; }
    // The copy kept while the destinations are edited; none otherwise (or
    // when the driver's settings give no copy and a stored form is kept).
    TIMxDestProperties* SavedSettings() const { return m_saved.object; }
    bool IsEditing() const { return m_editing; }
    // The settings bytes read from the query file and kept as they were,
    // because the type or its driver was missing; written back unchanged.
    bool HasKeptSettings() const { return m_hasKept; }
    const QByteArray& KeptSettings() const { return m_kept; }

    // The type of the same name in DestinationTypes, with the settings made
    // when there are none yet. Raises "Unknown destination %s", or the
    // driver's lookup error.
    TDestinationItem* GetDestinationType();
    // The type alone; none when there is no such type.
    TDestinationItem* FindDestinationType() const;

    bool HasFileName() const { return !m_fileName.isEmpty(); }
    // FileName; a name without folder gets the output folder in front
    // unless the step generates a view, and a name without extension (not
    // ending in ".") gets the type's.
    QString GetFileName() const;
    // The file the type's driver receives: GetFileName with the type's
    // extension, in the output folder when it has none. A step that reads
    // this destination's table finds it under the same name.
    QString SentFileName() const;
    // Where a file named without a folder goes: the private query folder,
    // else (none set) the folder of the query file the destination belongs
    // to, else nowhere (the name stays relative). A file the driver reads
    // (ReadsItsFile: a report file) is always the query file's neighbour.
    // With a final "/".
    QString OutputFolder() const;

    // The driver's operation with the settings, the type's file name and
    // the dataset, whose current record is put back afterwards, also when
    // the driver fails.
    void Print(TIMxDataset* dataset);
    void Customize(TIMxDataset* dataset);
    void View(TIMxDataset* dataset);
    void Export(TIMxDataset* dataset);

    // Editing: BeginEdit keeps a copy of the settings (making them first);
    // CommitEdit puts the copy back (the dialog was cancelled);
    // DiscardEdit drops it (the dialog was confirmed).
    void BeginEdit();
    void CommitEdit();
    void DiscardEdit();

    // Frees the settings and their copy through their driver and lets the
    // driver go (engine shutdown; the file name stays).
    void ReleaseSettings() noexcept;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

protected:
    void BeforeDestruction() override;

private:
    struct SettingsRef {
        TIMxDestProperties* object = nullptr;
        std::shared_ptr<TIMxDestDriver> driver;
        void release() noexcept;
    };
    using DriverOperation = void (TIMxDestDriver::*)(TIMxDestProperties*, const QString&, TIMxDataset*);
    void send(DriverOperation operation, TIMxDataset* dataset);
    void makeSettings(TDestinationItem* type);
    static SettingsRef copyOf(const SettingsRef& source);
    void readSettings(const QByteArray& bytes);
    void writeSettings(QByteArray& bytes);

    QString m_fileName;
    SettingsRef m_settings;
    SettingsRef m_saved;
    QByteArray m_savedBytes; // the copy in stored form, when the settings give none
    bool m_editing = false;
    QByteArray m_kept;
    bool m_hasKept = false;
};

class TQueryDestinationList : public TMxTypedList<TQueryDestinationItem> {
    MX_CLASS(TQueryDestinationList)
public:
    explicit TQueryDestinationList(TMxItem* owner = nullptr);

    bool GenerateView() const { return m_generateView; }
    void SetGenerateView(bool value);
    // The query's and the current user's view prefixes, set by the step
    // before a run.
    const QString& QueryViewPrefix() const { return m_queryViewPrefix; }
    const QString& UserViewPrefix() const { return m_userViewPrefix; }
    void SetViewPrefixes(const QString& queryPrefix, const QString& userPrefix);
    // Letters, digits and "_" only (an empty prefix is valid).
    static bool IsValidViewPrefix(const QString& prefix);

    TQueryDestinationItem* GetItem(int index) const { return Items(index); }

    // With GenerateView: "_MX_<query prefix>_<user prefix>_<step Id>",
    // raising EMxException when a prefix holds anything but letters, digits
    // and "_". Otherwise the file name of the first table destination that
    // has one; empty when there is none.
    QString GetViewName() const;

    // File and table outputs in list order, then reports in list order.
    void Execute(TIMxDataset* dataset);
    void ExecuteFileOutputs(TIMxDataset* dataset);
    void ExecuteReports(TIMxDataset* dataset);

    void BeginEdit();
    void CommitEdit();
    void DiscardEdit();

    void Assign(const TPersistent* source) override;

private:
    bool m_generateView = false;
    QString m_queryViewPrefix;
    QString m_userViewPrefix;
};

// Frees the settings of every destination of the process through their
// drivers (engine shutdown, before the drivers and libraries go).
void ReleaseAllDestinationSettings() noexcept;

} // namespace mx
