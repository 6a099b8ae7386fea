#pragma once

#include "skin/SkinSurface.h"

#include <QWidget>

// A skinned surface inside a window, such as a page of the main window: painted, with tips and a status line
// like a window, but no dialog: no key closes it and it has no result.
class CXSkinWidget : public SkinSurface<QWidget> {
    Q_OBJECT
public:
    explicit CXSkinWidget(QWidget* parent = nullptr);
};
