#pragma once

#include <QPixmap>

// Bitmaps built into the running program, by number (":/res/<number>.bmp"); null when the program has none.
QPixmap LoadResourceBitmap(int id);

// Makes the face "돋움" that the windows ask for resolve to NanumGothic, from its own font files so the look
// does not depend on the desktop's font configuration. Call once after the application object exists.
void InstallSkinFonts();
