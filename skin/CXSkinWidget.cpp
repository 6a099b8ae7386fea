#include "skin/CXSkinWidget.h"

CXSkinWidget::CXSkinWidget(QWidget* parent) : SkinSurface<QWidget>(parent) {}
