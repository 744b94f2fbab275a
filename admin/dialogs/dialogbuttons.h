#pragma once
// The Ok, Annuler and Aide buttons every administration dialog ends with.

class QDialog;
class QPushButton;
class QWidget;

namespace mx::admin {

// Makes btOk ("Ok", the default button), btCancel ("Annuler") and btHelp
// ("Aide") on parent, in that order; Annuler and Aide are never made the
// default by taking the focus.
void MakeOkCancelHelp(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help);

// Ok accepts dialog, Annuler rejects it and Aide opens its help.
void ConnectOkCancelHelp(QDialog* dialog, QPushButton* ok, QPushButton* cancel, QPushButton* help);

} // namespace mx::admin
