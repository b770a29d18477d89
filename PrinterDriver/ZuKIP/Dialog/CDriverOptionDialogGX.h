#pragma once
// The "Driver Options" page run as a modal dialog with its own OK and
// Cancel, as editOptions shows it. OK (the default button, also Return)
// saves the controls into the block; Cancel, Escape and closing the window
// leave the block to the caller, which restores it.
#include "CDriverOptionDialog.h"

#include <QDialog>

class CDriverOptionDialogGX : public QDialog {
public:
    CDriverOptionDialogGX(QWidget* parent, DriverOptions* block, PrinterSetup* setup);

    CDriverOptionDialog& Page() { return *page; }

private:
    void OnOK();

    // The page is a child rather than a base: a modal dialog in this toolkit is its own window
    // class, while the page must stay a plain widget that hosts can embed.
    CDriverOptionDialog* page;
};
