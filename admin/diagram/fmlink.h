#pragma once
// The link dialog ("Définition du lien"): the field pairs that join a
// master table to a detail table, and each side's outer join, default
// choice and caption. It works on a copy of the link and writes it back
// on Ok only, so Cancel leaves the link as it was, its pairs included
// (also after "Vider"). Opened on a link without pairs, it proposes pairs
// from fields that share name and type ("Auto").

#include <QDialog>

#include <memory>

namespace mx {
class TMxLink;
class TMxTable;
}

namespace mx::admin {

class TGraphLink;

class TfmLink : public QDialog {
public:
    TfmLink(TMxLink* link, TMxTable* master, TMxTable* detail, QWidget* parent = nullptr);
    ~TfmLink() override;

    // Runs the dialog on the line's link; true when it closed with Ok (the
    // link then holds what was chosen).
    static bool Execute(TGraphLink* line);

    // The working copy shown (its pairs and kind as they stand).
    const TMxLink* Edited() const { return m_copy.get(); }

    void AddPair();
    void Unlink();
    void ClearPairs();
    void AutoPairs();

    // Ok: refused while there is no pair; writes the copy back.
    void accept() override;

private:
    void refresh();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxLink* m_link;
    TMxTable* m_master;
    TMxTable* m_detail;
    struct TFree {
        void operator()(TMxLink* link) const;
    };
    std::unique_ptr<TMxLink, TFree> m_copy;
};

// Fills LinkEditor with this dialog.
void RegisterLinkEditor();

} // namespace mx::admin
