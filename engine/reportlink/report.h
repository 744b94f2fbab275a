#pragma once
// TReport: a report of the report runtime, fed by the program's data
// server (reportmanager.h).
//
// Run finds the runtime (or the full report program), starting it when it
// does not answer yet, connects to it, sets the record limit, loads the
// report file with its initial values and the program's process id, prints
// it when the runtime is used without preview, and closes the runtime when
// this report started it and AutoUnload is set.
//
// The runtime is the program "morvrs" of the runtime folder: the
// registry's ReportRuntimeDir value under the installation key, else the
// installation folder. The full program is the same one started with
// "-design"; the runtime not previewing starts with "-minimized".

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace mx {

class TIMxDataset;
class TIMxRowCursor;

enum TLaunchType { ltDefault, ltRunTime, ltDesignTime };

// A dataset a report offers the runtime: its name and its rows.
struct TReportDataset {
    QString name;
    std::shared_ptr<const TIMxRowCursor> rows;
};

class TReport {
public:
    TReport();
    // Unregisters; closes the runtime when it is used and this report
    // started it. Never throws.
    ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    const QString& ReportName() const { return m_reportName; }
    void SetReportName(const QString& v) { m_reportName = v; }
    const QString& ReportDir() const { return m_reportDir; }
    void SetReportDir(const QString& v) { m_reportDir = v; }
    std::uint16_t PrintCopies() const { return m_printCopies; }
    void SetPrintCopies(std::uint16_t v) { m_printCopies = v; }
    std::uint16_t StartPage() const { return m_startPage; }
    void SetStartPage(std::uint16_t v) { m_startPage = v; }
    std::uint16_t EndPage() const { return m_endPage; }
    void SetEndPage(std::uint16_t v) { m_endPage = v; }
    std::uint16_t MaxRecords() const { return m_maxRecords; }
    void SetMaxRecords(std::uint16_t v) { m_maxRecords = v; }
    bool AutoUnload() const { return m_autoUnload; }
    void SetAutoUnload(bool v) { m_autoUnload = v; }
    QStringList& InitialValues() { return m_initialValues; }
    const QStringList& InitialValues() const { return m_initialValues; }
    bool Preview() const { return m_preview; }
    void SetPreview(bool v) { m_preview = v; }
    TLaunchType LaunchType() const { return m_launchType; }
    void SetLaunchType(TLaunchType v) { m_launchType = v; }
    // Where a relative output file of the report goes: the program's own
    // folder for results (empty: where the runtime's settings say). Two
    // programs of one user sharing a runtime thus each get theirs.
    const QString& OutputFolder() const { return m_outputFolder; }
    void SetOutputFolder(const QString& v) { m_outputFolder = v; }
    // True: the runtime ("RS_RUNTIME"); false: the full program
    // ("ReportSmith").
    bool UseRunTime() const { return m_useRunTime; }
    void SetUseRunTime(bool v) { m_useRunTime = v; }

    // 0 on success; otherwise the runtime's error value, or 1 while its
    // API is busy (LastApiError says why). Raises EMxException when the
    // runtime cannot be started or connected, the report file does not
    // exist, or the initial values do not fit.
    int Run();
    // Why the last run's call failed (empty after a success).
    QString LastApiError() const { return m_lastApiError; }

    // The datasets offered to the runtime. OfferDataset takes a reading of
    // the dataset's rows of its own, which stays valid when the dataset
    // goes; false when the dataset cannot give one.
    bool OfferDataset(const QString& name, TIMxDataset* dataset);
    void ClearDatasets() { m_datasets.clear(); }
    const std::vector<TReportDataset>& Datasets() const { return m_datasets; }

    // Whether this report started the runtime it uses, and found it.
    bool StartedEngine() const { return m_started; }
    bool Connected() const { return m_found; }
    // The connection value the runtime gave (its process id), 0 before.
    std::uint32_t ConnectionValue() const { return m_connection; }
    // The class library's design state: never at run time.
    bool InDesignState() const { return false; }

    // The report file: ReportDir with a "/" added when missing (and not
    // empty), then ReportName with ".rpt" added when it has no ".".
    QString ReportFileName() const;
    // The initial values as the runtime receives them: a double quote, the
    // lines in order, each followed by ", " when it is not the last and
    // holds ">", a double quote, then ,"#<pid in lower-case hex>". A line
    // over 255 bytes, or a whole over 65,520 bytes, raises EMxException.
    static QString InitialValuesText(const QStringList& lines, std::int64_t pid);

    // Whether PRINT's answer (the fields after "OK") tells of a report
    // printed: a printer named, or a PDF file written since sinceMs
    // (milliseconds since the epoch) that is whole: a regular file that
    // begins with "%PDF-" and ends with "%%EOF". False with *why set.
    static bool CheckPrinted(const QStringList& answer, std::int64_t sinceMs, QString* why);

    // The folder and file of the runtime program.
    static QString RuntimeFolder();
    static QString RuntimeProgram();
    // How long a started runtime has to answer on its socket.
    static void SetLaunchTimeout(int ms);
    static int LaunchTimeout();

    // The manager is gone (shutdown): nothing to unregister from.
    void ManagerGone() { m_managerGone = true; }

private:
    bool connect();
    void closeEngine();
    void noteApiResult(int result);

    QString m_reportName;
    QString m_reportDir;
    std::uint16_t m_printCopies = 1;
    std::uint16_t m_startPage = 1;
    std::uint16_t m_endPage = 9999;
    std::uint16_t m_maxRecords = 0;
    bool m_autoUnload = false;
    QStringList m_initialValues;
    bool m_preview = false;
    TLaunchType m_launchType = ltDefault;
    bool m_useRunTime = false;
    QString m_outputFolder;

    bool m_started = false;
    bool m_found = false;
    std::uint32_t m_connection = 0;
    bool m_managerGone = false;
    QString m_lastApiError;
    std::vector<TReportDataset> m_datasets;
};

} // namespace mx
