#pragma once
// The pictures of the windows. Each area of the user interface has one
// Shoot<Area> function (shots_<area>.cpp) that opens its windows filled as
// a user would see them and hands each to Save; main calls them in order.

#include <QString>

class QWidget;

namespace mx::shots {

class TShots {
public:
    TShots(QString outDir, QString sampleDir);

    // Lays the window out at its size (or the given one), shows it
    // offscreen, lets it paint, and writes <outDir>/<name>.png.
    void Save(QWidget* window, const QString& name, int width = 0, int height = 0);

    const QString& OutDir() const { return m_outDir; }
    // The bundled sample: its database, models and queries.
    const QString& SampleDir() const { return m_sampleDir; }
    QString Sample(const QString& fileName) const { return m_sampleDir + u'/' + fileName; }

    int Written() const { return m_written; }
    int Failed() const { return m_failed; }
    void Fail(const QString& name, const QString& why);

private:
    QString m_outDir;
    QString m_sampleDir;
    int m_written = 0;
    int m_failed = 0;
};

// The areas, in the order their pictures are taken.
void ShootFoundation(TShots& shots);
void ShootControls(TShots& shots);
void ShootEditor(TShots& shots);
void ShootRuntime(TShots& shots);
void ShootReport(TShots& shots);
void ShootDesigner(TShots& shots);
void ShootFormula(TShots& shots);
void ShootDialogs(TShots& shots);
void ShootParams(TShots& shots);
void ShootAdmin(TShots& shots);
void ShootDiagram(TShots& shots);
void ShootDataModel(TShots& shots);
void ShootAdminModel(TShots& shots);

} // namespace mx::shots
