#include "skin/CXDialog.h"

CXDialog::CXDialog(QWidget* parent) : SkinSurface<QDialog>(parent) {}
