#pragma once

namespace zorlith {

// Must run before the QApplication exists: the embedded browser shares OpenGL contexts, and its
// sandbox, which refuses to run as root, is switched off only for root.
void PrepareWebEngine();

// Runs once the QApplication exists, before any window: without a hardware OpenGL driver (a
// software rasteriser, as under Xvfb, or none at all) the embedded browser is drawn by Qt
// Quick's software renderer, because emulating OpenGL would recompose the whole window in
// software on every repaint, once a second for the countdown. A backend chosen through
// QT_QUICK_BACKEND is left alone.
void ChooseBrowserRendering();

} // namespace zorlith
