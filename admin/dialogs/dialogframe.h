#pragma once
// What every administration dialog is framed with: its name, help and
// title, and the Ok, Annuler and Aide buttons it ends with.

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace mx::admin {

// Names dialog, gives it its help context (F1 opens that help) and the
// translation of title.
void FrameDialog(QDialog* dialog, const char* name, int helpContext, const char* title);

// Makes btOk ("Ok", the default button), btCancel ("Annuler") and btHelp
// ("Aide") on parent, in that order; Annuler and Aide are never made the
// default by taking the focus.
void MakeOkCancelHelp(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help);

// The row the three buttons end a dialog with: extra (may be none) on the
// left, then the three on the right.
QHBoxLayout* OkCancelHelp(QPushButton* ok, QPushButton* cancel, QPushButton* help, QWidget* extra = nullptr);

// Ok accepts dialog, Annuler rejects it and Aide opens its help.
void ConnectOkCancelHelp(QDialog* dialog, QPushButton* ok, QPushButton* cancel, QPushButton* help);

} // namespace mx::admin
