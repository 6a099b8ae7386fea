#pragma once

// What the windows tell a screen reader beyond Qt's own: a window's kind and whether it holds the input
// (alert, dialog, window; modal), a live status line, the balloon tip's text, and nothing of what a
// password field holds. Installed once per program; further calls change nothing.
void InstallSkinAccessibility();
