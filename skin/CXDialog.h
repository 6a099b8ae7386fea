#pragma once

#include "skin/SkinSurface.h"

#include <QDialog>

// A skinned window of either program: a dialog, modal or not, that Escape and Enter treat as a dialog.
class CXDialog : public SkinSurface<QDialog> {
    Q_OBJECT
public:
    explicit CXDialog(QWidget* parent = nullptr);
};
