#include "CDriverOptionDialogGX.h"

#include <QPushButton>

CDriverOptionDialogGX::CDriverOptionDialogGX(QWidget* parent, DriverOptions* block, PrinterSetup* setup)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      page(new CDriverOptionDialog(this, block, setup)) {
    setWindowTitle(QStringLiteral("Driver Options"));
    setFixedSize(page->size());
    QWidget* ok = page->Item(CDriverOptionDialog::kOk);
    QWidget* cancel = page->Item(CDriverOptionDialog::kCancel);
    ok->show();
    cancel->show();
    connect(static_cast<QPushButton*>(ok), &QPushButton::clicked, this, [this] { OnOK(); });
    connect(static_cast<QPushButton*>(cancel), &QPushButton::clicked, this, [this] { reject(); });
}

void CDriverOptionDialogGX::OnOK() {
    page->OnOK();
    accept();
}
