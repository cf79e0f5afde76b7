#pragma once
// The diagram readers' fuzz target, for either file form.

#include <cstddef>
#include <cstdint>

enum TDiagramForm : uint8_t { dfBinary, dfText };

// Loads data as a diagram of the form into a box with every object class registered and a
// library of styles, hit tests and paints what was loaded at three scales, saves it, loads the
// save into a new box (which must succeed) and saves again (which must give the same bytes),
// then selects and moves everything and paints again.
void RunDiagramInput(TDiagramForm form, const uint8_t *data, std::size_t size);
