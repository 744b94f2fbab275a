#pragma once
// What the report layer's tests share: a GUI application on the offscreen
// platform (fonts and PDF need one), small designs built in code, and the
// page model read back as lines of text.

#include "report/pagemodel.h"
#include "report/reportparts.h"

#include <QGuiApplication>
#include <QStringList>

#include <gtest/gtest.h>

namespace rtest {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "report-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QGuiApplication(argc, argv);
        mx::rpt::RegisterReportClasses();
    }
};

inline const bool kGuiEnvironment = (::testing::AddGlobalTestEnvironment(new GuiEnvironment), true);

// A band of a kind and height (0.1 mm), added to report.
inline mx::rpt::TQRBand* AddBand(mx::rpt::TQuickRep& report, mx::rpt::TQRBandType type, double height)
{
    report.SetHasBand(type, true);
    mx::rpt::TQRBand* band = report.Band(type);
    band->SetBounds(QRectF(0, 0, report.PrintableWidth(), height));
    return band;
}

template <class Control>
Control* AddControl(mx::rpt::TQRBand& band, const QRectF& box)
{
    auto c = std::make_unique<Control>();
    c->SetBounds(box);
    return static_cast<Control*>(band.AddPart(std::move(c)));
}

inline mx::rpt::TQRExpr* AddExpr(mx::rpt::TQRBand& band, const QString& expression, const QRectF& box)
{
    auto* e = AddControl<mx::rpt::TQRExpr>(band, box);
    e->SetExpression(expression);
    return e;
}

inline mx::rpt::TQRLabel* AddLabel(mx::rpt::TQRBand& band, const QString& caption, const QRectF& box)
{
    auto* l = AddControl<mx::rpt::TQRLabel>(band, box);
    l->SetCaption(caption);
    return l;
}

// Each text of a page as "x,y text", in the page's order.
inline QStringList TextsOf(const mx::rpt::TReportDocument& doc, int page)
{
    QStringList out;
    for (const mx::rpt::TPageText& t : doc.Page(page).texts)
        out << QStringLiteral("%1,%2 %3").arg(t.x).arg(t.y).arg(doc.TextOf(t));
    return out;
}

} // namespace rtest
