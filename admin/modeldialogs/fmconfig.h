#pragma once
// The configuration window ("Configuration"): the installation's
// destination types and the SQL dialects of the drivers, edited on copies,
// with the SQL a small query gives in the dialect shown. Ok writes both
// definition files (each whole, beside the old one, then renamed over it);
// the process's lists take the copies only once both files are written.

#include "engine/core/hookslot.h"
#include "engine/core/itemptr.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace mx {
class TDbEngDatasource;
class TDbEngDatasourceList;
class TDestinationList;
class TMxQuery;
}

namespace mx::admin {

// The driver names installed on this machine (the driver's list unless
// filled, as tests do).
extern THookSlot<QStringList()> InstalledDriverNames;
// The folder holding the preview files defmodel.mxf and DefQuery.mxf
// (the programs' folder, else the installation folder, unless filled).
extern THookSlot<QString()> PreviewFolderOverride;

// Writes the destination types and the datasources into the installation
// folder under the engine's file names. Nothing is written unless both
// lists stream; when the second file cannot be written the first is put
// back as it was, and the error raised.
void SaveDefinitionFiles(TDestinationList* destinations, TDbEngDatasourceList* datasources);

class TfmConfig : public QDialog {
    Q_OBJECT

public:
    explicit TfmConfig(QWidget* parent = nullptr);
    ~TfmConfig() override;

    TDestinationList* Destinations() const { return m_destinations.get(); }
    TDbEngDatasourceList* WorkingDatasources() const { return m_datasources.get(); }
    TDbEngDatasource* Selected() const { return m_selected; }
    const QStringList& MissingDrivers() const { return m_missing; }
    bool HasPreview() const { return bool(m_query); }

    // Shows the datasource of that row of the driver list (-1: none).
    void ShowDatasource(int row);
    void AddDestination();
    void RemoveDestination();
    void DeleteDriver();
    void RefreshDrivers();
    void DriverConfig();
    void RowsUp();
    void RowsDown();
    // What leaving the row-count edit does: an empty text becomes 1, a
    // count past the largest integer is refused (the former one shown
    // again), else the datasource takes it.
    void LeaveRowCount();
    // Rebuilds the SQL of the preview in the dialect shown.
    void UpdatePreview();

    // Reads the grid, writes both files and lets the process's lists take
    // the copies; a write that fails is reported and the window stays.
    void accept() override;

private:
    void buildResults();
    void buildDrivers();
    void loadPreview();
    void fillGrid();
    void readGrid();
    void fillDrivers(int row);
    void capabilityClicked(int capability, bool checked);
    void updateRowControls();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TItemPtr<TDestinationList> m_destinations;
    TItemPtr<TDbEngDatasourceList> m_datasources;
    TItemPtr<TDbEngDatasourceList> m_previewDatasources;
    TItemPtr<TMxQuery> m_query;
    QStringList m_missing;
    TDbEngDatasource* m_selected = nullptr;
    bool m_filling = false;
    // The count shown when the edit was last filled or left: what a
    // refused count gives way to.
    qint32 m_countShown = 0;
};

// The configuration window; True when it closed with Ok (the files then
// written and the lists taken).
bool EditConfigurationWindow();

} // namespace mx::admin
