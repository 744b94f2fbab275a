#pragma once
// The tip of the day. Tips are read from one section of an INI file (the
// installation's MORVELIN.INI, section "Tips.designer.<language>" or
// "Tips.adm.<language>"): keys "0", "1", "2"..., where "|" stands for a
// line break. Each showing takes the next tip and wraps to the first after
// the last. Where the next one is (key Index of the same section) is kept
// in the user's settings file, since the installation's is read-only to
// its users; an Index found only in the tips file is read once from there.
//
// ShowTips shows the window (fmBrnTips) modally; its check box "Ne plus
// afficher cette boîte au démarrage" (shown when toCanChangeAutoPopup is
// set) takes toAutoPopup out of Options, and the caller stores Options
// afterwards as the user's choice.

#include <QDialog>
#include <QFlags>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace platform {
class IniFile;
}

namespace mx::ui {

class TBrnTips : public QObject {
    Q_OBJECT
public:
    enum TBrnTipOption { toAutoPopup = 1, toCanChangeAutoPopup = 2 };
    Q_DECLARE_FLAGS(TBrnTipsOptions, TBrnTipOption)

    explicit TBrnTips(QObject* owner = nullptr);
    ~TBrnTips() override;

    QString Title;
    // The file of the tips; empty until Loaded gives the default.
    QString IniFileName;
    QString SectionName = QStringLiteral("Tips");
    // Where Index is kept: the user's settings file when empty.
    QString IndexFileName;
    // Supplies the tips file instead of IniFileName.
    std::function<std::shared_ptr<platform::IniFile>()> OnGetIniFile;
    TBrnTipsOptions Options = TBrnTipsOptions(toAutoPopup | toCanChangeAutoPopup);

    // Called by the owner once the properties are set: an empty
    // IniFileName becomes the program's name with ".ini" in the user's
    // settings folder; with toAutoPopup the tips are shown at once.
    void Loaded();

    // The next tip ("|" made a line break), and one step on.
    QString NextTip();
    // The window, modally.
    void ShowTips();
    // The window filled with the first tip, for ShowTips (and tests).
    class TBrnTipsForm* CreateForm(QWidget* parent = nullptr);

private:
    void open();
    std::shared_ptr<platform::IniFile> m_tips;
    std::shared_ptr<platform::IniFile> m_index;
    int m_next = 0;
};

class TBrnTipsForm : public QDialog {
    Q_OBJECT
public:
    // The window showing tips' title and its next tip; the check box
    // follows tips' options.
    explicit TBrnTipsForm(TBrnTips& tips, QWidget* parent = nullptr);
    ~TBrnTipsForm() override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TBrnTips& m_tips;
};

} // namespace mx::ui

Q_DECLARE_OPERATORS_FOR_FLAGS(mx::ui::TBrnTips::TBrnTipsOptions)
