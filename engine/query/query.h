#pragma once
// A query document (.MQR): a data model file, a set of that model, and one
// or more chained steps, with its parameters and their dialog.

#include "querystep.h"

#include "engine/core/file.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"

#include <functional>
#include <memory>

namespace mx {

class TMxDataModel;
class TMxDomain;
class TMxParamList;
class TMxParamControlList;
class TDbEngDatasourceList;

// How parameters are written while the query is prepared: by name in
// design mode, by the values the user chose in run mode.
enum class TParamMode { None, Design, Run };

class TMxQuery : public TMxFile {
    MX_CLASS(TMxQuery)
public:
    explicit TMxQuery(TMxItem* owner = nullptr);
    ~TMxQuery() override;

    // Published
    const QString& DmFilename() const { return m_dmFilename; }
    void SetDmFilename(const QString& value);
    int DomId() const { return m_domId; }
    // Stores the set and applies it to the model of every step.
    void SetDomId(int value);
    int User() const { return m_user; }
    void SetUser(int value);
    bool OptionsDumpTables() const { return m_optionsDumpTables; }
    void SetOptionsDumpTables(bool value);
    bool OptionsPrintAuto() const { return m_optionsPrintAuto; }
    void SetOptionsPrintAuto(bool value);
    TStrings* Informations() const { return m_informations.get(); }
    const QString& ViewPrefix() const { return m_viewPrefix; }
    void SetViewPrefix(const QString& value);
    TStrings* PositionStrings() const { return m_positionStrings.get(); }
    TMxParamList* Params() const { return m_params.get(); }
    TMxParamControlList* ParamControls() const { return m_paramControls.get(); }
    TMxQueryStepList* Steps() const { return m_steps.get(); }

    // Name, else the file name, else "Nouvelle Requête".
    QString GetCaption() const;
    // The model's set whose Id is DomId; none when the model has none.
    TMxDomain* GetDomain() const;

    // The open data model. A model the query loaded itself is the query's
    // and is freed with it; a model given here stays the caller's unless
    // owned is True.
    TMxDataModel* DataModel() const { return m_model; }
    void SetDataModel(TMxDataModel* model, bool owned = false);
    bool OwnsDataModel() const { return m_ownsModel; }

    // The login used to open the model when the query loads it (empty: the
    // model asks, or has no users).
    const QString& LoginName() const { return m_loginName; }
    const QString& LoginPassword() const { return m_loginPassword; }
    void SetLogin(const QString& userName, const QString& password);

    // Set for the queries of the designer and of the DDE server.
    bool Interactive() const { return m_interactive; }
    void SetInteractive(bool value) { m_interactive = value; }

    TParamMode ParamMode() const { return m_paramMode; }
    void SetParamMode(TParamMode mode) { m_paramMode = mode; }

    // The dialects steps are prepared in; the process's list by default.
    TDbEngDatasourceList* DatasourceList() const;
    void SetDatasourceList(TDbEngDatasourceList* list) { m_datasources = list; }

    // Called with the query after every preparation.
    std::function<void(TMxQuery*)> OnSQLChange;

    // A new last step. Its Id is one more than the highest step Id (its
    // number, as long as no step was removed); its model is a copy of the
    // previous step's model (of the query's for the first), reduced to the
    // set. No model raises EMxInternal "DataModel not assigned".
    TMxQueryStep* AddStep();

    // Prepares every step in order: design mode (Design True) writes
    // parameters by name, run mode by the chosen values.
    void Prepare(bool design);

    // Running the query is the query run's (run/queryrun.h).

    void LoadFromFile(const QString& fileName) override;
    void SaveToFile(const QString& fileName) override;

protected:
    void BeforeDestruction() override;

private:
    void freeModel();
    void giveStepsModels();
    void fixDestinations();
    void openModel();

    QString m_dmFilename;
    int m_domId = 0;
    int m_user = 0;
    bool m_optionsDumpTables = true;
    bool m_optionsPrintAuto = false;
    std::unique_ptr<TStrings> m_informations;
    QString m_viewPrefix;
    std::unique_ptr<TStrings> m_positionStrings;
    TItemPtr<TMxParamList> m_params;
    TItemPtr<TMxParamControlList> m_paramControls;
    TItemPtr<TMxQueryStepList> m_steps;

    TMxDataModel* m_model = nullptr;
    bool m_ownsModel = false;
    QString m_loginName;
    QString m_loginPassword;
    bool m_interactive = false;
    TParamMode m_paramMode = TParamMode::None;
    TDbEngDatasourceList* m_datasources = nullptr;
};

// The query's parameter mode for the life of the guard.
class TParamModeScope {
public:
    TParamModeScope(TMxQuery* query, TParamMode mode) : m_query(query), m_old(query->ParamMode()) { query->SetParamMode(mode); }
    ~TParamModeScope() { m_query->SetParamMode(m_old); }
    TParamModeScope(const TParamModeScope&) = delete;
    TParamModeScope& operator=(const TParamModeScope&) = delete;

private:
    TMxQuery* m_query;
    TParamMode m_old;
};

} // namespace mx
