#pragma once
// For the fuzz targets that need widgets (library fuzz_support_qt).

// Makes a QApplication on the offscreen platform once; it lives for the process.
void EnsureQtApplication();
